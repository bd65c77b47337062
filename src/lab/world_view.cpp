#include "lab/world_view.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "lab/stepper.h"

namespace kanimo {

namespace {

constexpr Colour outsideColour = 0x00282422; // beyond the world's edge
constexpr int dragThreshold = 4;             // pixels a press may move and still be a click
constexpr double keyZoomStep = 1.25;
constexpr double wheelZoomStep = 1.2;

} // namespace

WorldView::WorldView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    countFrom_ = QDateTime::currentMSecsSinceEpoch();
}

double WorldView::fitZoom() const {
    const double frame = worldSize_ + 1;
    return std::min(width() / frame, height() / frame);
}

void WorldView::show(std::shared_ptr<const Published> published) {
    const int size = published->scene.worldSize;
    published_ = std::move(published);
    if (size != worldSize_) {
        worldSize_ = size;
        fit();
    }
    const Selection& s = published_->selection;
    (void)s;
    update();
}

SceneRequest WorldView::request() const {
    SceneRequest r;
    const Vec2 topLeft = mapping_.toWorld(Vec2(0, 0));
    const Vec2 bottomRight = mapping_.toWorld(Vec2(width(), height()));
    r.left = topLeft.x;
    r.top = topLeft.y;
    r.right = bottomRight.x;
    r.bottom = bottomRight.y;
    r.dots = mapping_.zoom < smallestShapeZoom;
    return r;
}

void WorldView::changed() {
    update();
    emit viewChanged();
}

void WorldView::fit() {
    const double zoom = std::min(fitZoom(), largestZoom);
    mapping_.zoom = zoom > 0 ? zoom : 1.0;
    const double frame = (worldSize_ + 1) * mapping_.zoom;
    mapping_.offsetX = static_cast<int>(std::floor((frame - width()) / 2));
    mapping_.offsetY = static_cast<int>(std::floor((frame - height()) / 2));
    fitted_ = true;
    changed();
}

void WorldView::zoomAbout(double zoom, QPointF screen) {
    const double least = std::min(fitZoom(), 1.0) * 0.5;
    zoom = std::clamp(zoom, least, largestZoom);
    // The world point under `screen` stays there.
    const Vec2 world = mapping_.toWorld(Vec2(screen.x(), screen.y()));
    mapping_.zoom = zoom;
    mapping_.offsetX = static_cast<int>(std::lround(world.x * zoom - screen.x()));
    mapping_.offsetY = static_cast<int>(std::lround(world.y * zoom - screen.y()));
    fitted_ = false;
    changed();
}

void WorldView::zoomBy(double factor) {
    double zoom = mapping_.zoom * factor;
    // Passing through 100% stops there, where the view shows the frame's own pixels.
    if ((mapping_.zoom < 1.0 && zoom > 1.0) || (mapping_.zoom > 1.0 && zoom < 1.0)) zoom = 1.0;
    zoomAbout(zoom, QPointF(width() / 2.0, height() / 2.0));
}

void WorldView::actualSize() {
    zoomAbout(1.0, QPointF(width() / 2.0, height() / 2.0));
}

void WorldView::panBy(int dx, int dy) {
    mapping_.offsetX += dx;
    mapping_.offsetY += dy;
    fitted_ = false;
    changed();
}

void WorldView::centreOn(Vec2 world) {
    const int x = static_cast<int>(std::lround(world.x * mapping_.zoom - width() / 2.0));
    const int y = static_cast<int>(std::lround(world.y * mapping_.zoom - height() / 2.0));
    if (x == mapping_.offsetX && y == mapping_.offsetY) return;
    mapping_.offsetX = x;
    mapping_.offsetY = y;
    fitted_ = false;
    changed();
}

void WorldView::setPlain(bool plain) {
    plain_ = plain;
    update();
}

void WorldView::setDrawing(bool drawing) {
    drawing_ = drawing;
    changed();
}

void WorldView::render() {
    if (picture_.width() != width() || picture_.height() != height()) {
        picture_.setSize(width(), height());
        image_ = QImage(width(), height(), QImage::Format_RGBX8888);
    }
    if (picture_.width() == 0) return;
    if (published_ && published_->drawn) {
        drawView(picture_, published_->scene, plain_, mapping_, outsideColour);
    } else {
        drawBackdrop(picture_, worldSize_, plain_, mapping_, outsideColour);
    }
    // The picture's colours are 0x00BBGGRR: red, green, blue in memory order, as this image
    // format has them, with the fourth byte to be set.
    const Colour* from = picture_.pixels();
    for (int y = 0; y < picture_.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image_.scanLine(y));
        const Colour* source = from + static_cast<std::size_t>(y) * picture_.width();
        for (int x = 0; x < picture_.width(); ++x) row[x] = source[x] | 0xFF000000u;
    }
}

void WorldView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!drawing_) {
        painter.fillRect(rect(), QColor(0x22, 0x24, 0x28));
        painter.setPen(QColor(0xC8, 0xC8, 0xC8));
        painter.drawText(rect(), Qt::AlignCenter,
                         tr("Drawing is off: the world runs as fast as it can.\n"
                            "View > Draw the world (D) shows it again."));
        return;
    }
    render();
    painter.drawImage(0, 0, image_);

    // The selected creature, outlined.
    if (selected_ != 0 && published_ && published_->drawn) {
        for (const SceneCreature& c : published_->scene.creatures) {
            if (c.id != selected_) continue;
            const Vec2 a = mapping_.toScreen(Vec2(c.x1, c.y1));
            const Vec2 b = mapping_.toScreen(Vec2(c.x2, c.y2));
            QRectF box(QPointF(a.x, a.y), QPointF(b.x, b.y));
            box.adjust(-5, -5, 5, 5);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(0, 0, 0, 160), 4));
            painter.drawEllipse(box);
            painter.setPen(QPen(QColor(40, 230, 255), 2));
            painter.drawEllipse(box);
            break;
        }
    }

    ++framesCounted_;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - countFrom_ >= 500) {
        framesPerSecond_ = framesCounted_ * 1000.0 / static_cast<double>(now - countFrom_);
        framesCounted_ = 0;
        countFrom_ = now;
    }
}

void WorldView::resizeEvent(QResizeEvent*) {
    if (fitted_) {
        fit();
    } else {
        changed();
    }
}

void WorldView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    double zoom = mapping_.zoom * std::pow(wheelZoomStep, notches);
    if ((mapping_.zoom < 1.0 && zoom > 1.0) || (mapping_.zoom > 1.0 && zoom < 1.0)) zoom = 1.0;
    zoomAbout(zoom, event->position());
    event->accept();
}

void WorldView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragged_ = false;
    pressAt_ = event->pos();
    lastDrag_ = event->pos();
    emit creaturePressed(creatureAt(event->position()));
}

void WorldView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) return;
    if (!dragged_ && (event->pos() - pressAt_).manhattanLength() < dragThreshold) return;
    if (!dragged_) setCursor(Qt::ClosedHandCursor);
    dragged_ = true;
    const QPoint d = event->pos() - lastDrag_;
    lastDrag_ = event->pos();
    panBy(-d.x(), -d.y());
}

void WorldView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragged_) {
        unsetCursor();
        emit creaturePressed(0);
        return;
    }
    emit creatureClicked(creatureAt(event->position()));
}

std::uint64_t WorldView::creatureAt(QPointF point) const {
    if (!published_ || !published_->drawn) return 0;
    // The centre of the pixel.
    const Vec2 at = mapping_.toWorld(Vec2(point.x() + 0.5, point.y() + 0.5));
    const double dotReach = 4.0 / mapping_.zoom;
    const auto index = pickCreature(published_->scene, at, dotReach);
    return index ? published_->scene.creatures[*index].id : 0;
}

void WorldView::keyPressEvent(QKeyEvent* event) {
    const int step = std::max(width(), height()) / 8;
    switch (event->key()) {
    case Qt::Key_Left:
        panBy(-step, 0);
        break;
    case Qt::Key_Right:
        panBy(step, 0);
        break;
    case Qt::Key_Up:
        panBy(0, -step);
        break;
    case Qt::Key_Down:
        panBy(0, step);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace kanimo
