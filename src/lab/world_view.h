#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "lab/scene.h"
#include "render/picture.h"

namespace kanimo {

struct Published;

// The world as the latest published scene shows it, over one image. One mapping (a zoom
// and a whole-pixel offset) places the world for drawing and for hit-testing alike. The
// wheel zooms about the cursor, dragging pans, a click selects the creature under it.
class WorldView : public QWidget {
    Q_OBJECT

  public:
    static constexpr double largestZoom = 8.0;
    // Below this a creature is drawn as a dot of its body's colour.
    static constexpr double smallestShapeZoom = 0.2;

    explicit WorldView(QWidget* parent = nullptr);

    void show(std::shared_ptr<const Published> published);
    const ViewMapping& mapping() const { return mapping_; }
    // The area and detail the next scene should have.
    SceneRequest request() const;

    void fit();
    void zoomBy(double factor);
    void zoomAbout(double zoom, QPointF screen);
    void actualSize();
    void panBy(int dx, int dy);
    void centreOn(Vec2 world);

    void setPlain(bool plain);
    void setDrawing(bool drawing);
    bool drawing() const { return drawing_; }
    void setSelected(std::uint64_t id) {
        selected_ = id;
        update();
    }
    // Frames drawn in the last second.
    double framesPerSecond() const { return framesPerSecond_; }
    // What is shown, as a picture of the view's size.
    QImage grabPicture() const { return image_.copy(); }
    double fitZoom() const;

  signals:
    void viewChanged();
    void creatureClicked(std::uint64_t id);
    // The button went down on a creature (0: on none, or the press became a drag): a click
    // on it may follow.
    void creaturePressed(std::uint64_t id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void changed();
    void render();
    // The creature drawn top-most at a point of the view, or 0.
    std::uint64_t creatureAt(QPointF point) const;

    std::shared_ptr<const Published> published_;
    ViewMapping mapping_;
    bool fitted_ = true; // keeps fitting as the view is resized until the user moves it
    bool plain_ = false;
    bool drawing_ = true;
    std::uint64_t selected_ = 0;
    int worldSize_ = 600;

    Picture picture_;
    QImage image_;

    bool pressed_ = false;
    bool dragged_ = false;
    QPoint pressAt_;
    QPoint lastDrag_;

    int framesCounted_ = 0;
    qint64 countFrom_ = 0;
    double framesPerSecond_ = 0.0;
};

} // namespace kanimo
