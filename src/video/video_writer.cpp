#include "video/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "files/output_file.h"
#include "render/picture.h"

namespace kanimo {

namespace {

struct Format {
    std::string_view extension;
    const char* muxer;
    const char* encoder;
    const char* codecName; // for messages
};

constexpr Format formats[] = {
    {".mp4", "mp4", "libx264", "H.264"},
    {".webm", "webm", "libvpx-vp9", "VP9"},
};

const Format* formatOf(std::string_view path) {
    for (const Format& f : formats) {
        if (path.size() > f.extension.size() &&
            path.substr(path.size() - f.extension.size()) == f.extension) {
            return &f;
        }
    }
    return nullptr;
}

std::string libraryError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The libraries' own messages would go to standard error in their own form; every failure
// is reported here instead, once, as one line.
void silenceLibraries() {
    static const bool silenced = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)silenced;
}

// The muxer writes through these, into the OutputFile's stream.
int writeBytes(void* opaque, std::uint8_t* bytes, int size) {
    auto* file = static_cast<std::FILE*>(opaque);
    errno = 0;
    if (std::fwrite(bytes, 1, static_cast<std::size_t>(size), file) !=
        static_cast<std::size_t>(size)) {
        return AVERROR(errno != 0 ? errno : EIO);
    }
    return size;
}

std::int64_t seekBytes(void* opaque, std::int64_t offset, int whence) {
    auto* file = static_cast<std::FILE*>(opaque);
    if (whence == AVSEEK_SIZE) {
        const off_t here = ftello(file);
        if (here < 0 || fseeko(file, 0, SEEK_END) != 0) return AVERROR(errno);
        const off_t size = ftello(file);
        if (fseeko(file, here, SEEK_SET) != 0) return AVERROR(errno);
        return size;
    }
    whence &= ~AVSEEK_FORCE;
    if (fseeko(file, static_cast<off_t>(offset), whence) != 0) return AVERROR(errno);
    return ftello(file);
}

} // namespace

bool videoFrameSize(int width, int height, int side, VideoFrameSize& size, std::string& reason) {
    if (side == 0) {
        size = {width & ~1, height & ~1};
        if (size.width > 0 && size.height > 0) return true;
        reason = "a picture of " + std::to_string(width) + " by " + std::to_string(height) +
                 " pixels is too small for a video";
        return false;
    }
    if (side % 2 != 0 || side < 2) {
        reason = "a video's side must be even, not " + std::to_string(side);
        return false;
    }
    if (side > width || side > height) {
        reason = "a video side of " + std::to_string(side) + " is larger than the picture's (" +
                 std::to_string(width) + " pixels)";
        return false;
    }
    size = {side, side * height / width & ~1};
    return true;
}

bool isVideoPath(std::string_view path) {
    return formatOf(path) != nullptr;
}

struct VideoWriter::State {
    std::string path;
    AVFormatContext* container = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* encoder = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int sourceWidth = 0; // the part of the picture that is scaled to the frame
    int sourceHeight = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    std::int64_t frames = 0;

    ~State() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&encoder);
        if (container != nullptr) avformat_free_context(container);
        if (io != nullptr) av_freep(&io->buffer);
        avio_context_free(&io);
    }

    std::string fail(const std::string& reason) const { return cannotWrite(path, reason); }

    // Sends a frame (null: the end) to the encoder and writes every packet it gives back.
    std::string encode(AVFrame* input) {
        int result = avcodec_send_frame(encoder, input);
        if (result < 0) return fail("cannot encode a frame: " + libraryError(result));
        while ((result = avcodec_receive_packet(encoder, packet)) >= 0) {
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(container, packet);
            if (result < 0) return fail(libraryError(result));
        }
        if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
            return fail("cannot encode a frame: " + libraryError(result));
        }
        return {};
    }
};

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

std::string VideoWriter::open(OutputFile& file, int pictureWidth, int pictureHeight,
                              const VideoFrameSize& size, int fps) {
    silenceLibraries();
    close();
    auto s = std::make_unique<State>();
    s->path = file.path();
    s->pictureWidth = pictureWidth;
    s->pictureHeight = pictureHeight;
    const Format* format = formatOf(file.path());
    if (format == nullptr) return s->fail("a video's name ends in .mp4 or .webm");
    const AVCodec* codec = avcodec_find_encoder_by_name(format->encoder);
    if (codec == nullptr) {
        return s->fail(std::string("this FFmpeg has no ") + format->codecName + " encoder (" +
                       format->encoder + ")");
    }
    const bool seekable = !file.temporaryPath().empty();

    int result = avformat_alloc_output_context2(&s->container, nullptr, format->muxer, nullptr);
    if (result < 0) return s->fail(libraryError(result));
    constexpr int ioBufferSize = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(ioBufferSize));
    if (buffer == nullptr) return s->fail(libraryError(AVERROR(ENOMEM)));
    s->io = avio_alloc_context(buffer, ioBufferSize, 1, file.stream(), nullptr, writeBytes,
                               seekable ? seekBytes : nullptr);
    if (s->io == nullptr) {
        av_free(buffer);
        return s->fail(libraryError(AVERROR(ENOMEM)));
    }
    s->io->seekable = seekable ? AVIO_SEEKABLE_NORMAL : 0;
    s->container->pb = s->io;
    s->container->flags |= AVFMT_FLAG_CUSTOM_IO;

    s->encoder = avcodec_alloc_context3(codec);
    s->stream = avformat_new_stream(s->container, nullptr);
    s->frame = av_frame_alloc();
    s->packet = av_packet_alloc();
    if (s->encoder == nullptr || s->stream == nullptr || s->frame == nullptr ||
        s->packet == nullptr) {
        return s->fail(libraryError(AVERROR(ENOMEM)));
    }
    AVCodecContext* e = s->encoder;
    e->width = size.width;
    e->height = size.height;
    e->pix_fmt = AV_PIX_FMT_YUV420P;
    e->time_base = AVRational{1, fps};
    e->framerate = AVRational{fps, 1};
    e->gop_size = 10 * fps;
    // The colours as the scaler converts them: BT.601 in the limited range, which players
    // assume for a frame of this size too.
    e->color_range = AVCOL_RANGE_MPEG;
    e->colorspace = AVCOL_SPC_SMPTE170M;
    e->color_primaries = AVCOL_PRI_SMPTE170M;
    e->color_trc = AVCOL_TRC_SMPTE170M;
    if (s->container->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (std::strcmp(format->encoder, "libx264") == 0) {
        // Flat colours and sharp edges: a fast preset keeps them at a modest size, and the
        // encoder keeps pace with the run.
        av_opt_set(e->priv_data, "preset", "veryfast", 0);
        av_opt_set(e->priv_data, "crf", "20", 0);
    } else {
        av_opt_set(e->priv_data, "deadline", "realtime", 0);
        av_opt_set(e->priv_data, "cpu-used", "8", 0);
        av_opt_set(e->priv_data, "row-mt", "1", 0);
        av_opt_set(e->priv_data, "crf", "30", 0);
        e->bit_rate = 0;
    }
    result = avcodec_open2(e, codec, nullptr);
    if (result < 0) {
        return s->fail("the " + std::string(format->codecName) + " encoder refused a " +
                       std::to_string(size.width) + " by " + std::to_string(size.height) +
                       " frame (" + libraryError(result) + ")");
    }
    result = avcodec_parameters_from_context(s->stream->codecpar, e);
    if (result < 0) return s->fail(libraryError(result));
    s->stream->time_base = e->time_base;
    s->stream->avg_frame_rate = e->framerate;

    AVDictionary* muxerOptions = nullptr;
    if (!seekable && std::strcmp(format->muxer, "mp4") == 0) {
        av_dict_set(&muxerOptions, "movflags", "frag_keyframe+empty_moov", 0);
    }
    result = avformat_write_header(s->container, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (result < 0) return s->fail(libraryError(result));

    s->frame->format = e->pix_fmt;
    s->frame->width = e->width;
    s->frame->height = e->height;
    result = av_frame_get_buffer(s->frame, 0);
    if (result < 0) return s->fail(libraryError(result));

    // At the picture's own size an odd last row and column are left out; scaled, the
    // whole picture is averaged down. Either way the colours of a 2 by 2 block are averaged.
    const bool scaled = size.width != (pictureWidth & ~1) || size.height != (pictureHeight & ~1);
    s->sourceWidth = scaled ? pictureWidth : size.width;
    s->sourceHeight = scaled ? pictureHeight : size.height;
    s->scaler =
        sws_getContext(s->sourceWidth, s->sourceHeight, AV_PIX_FMT_RGB0, size.width, size.height,
                       AV_PIX_FMT_YUV420P, SWS_AREA, nullptr, nullptr, nullptr);
    if (s->scaler == nullptr) return s->fail("cannot convert the pictures to the video's frames");
    state_ = std::move(s);
    return {};
}

std::string VideoWriter::addFrame(const Picture& picture) {
    State& s = *state_;
    if (picture.width() != s.pictureWidth || picture.height() != s.pictureHeight) {
        return s.fail("a picture of another size than the video's");
    }
    int result = av_frame_make_writable(s.frame);
    if (result < 0) return s.fail(libraryError(result));
    // Colours are 0x00BBGGRR, so the bytes of a pixel are red, green, blue and one unused.
    const std::uint8_t* source[1] = {reinterpret_cast<const std::uint8_t*>(picture.pixels())};
    const int sourceStride[1] = {picture.width() * 4};
    sws_scale(s.scaler, source, sourceStride, 0, s.sourceHeight, s.frame->data, s.frame->linesize);
    s.frame->pts = s.frames++;
    return s.encode(s.frame);
}

std::string VideoWriter::finish() {
    State& s = *state_;
    std::string problem = s.encode(nullptr);
    if (problem.empty()) {
        const int result = av_write_trailer(s.container);
        if (result < 0) problem = s.fail(libraryError(result));
    }
    if (problem.empty()) {
        avio_flush(s.io);
        if (s.io->error < 0) problem = s.fail(libraryError(s.io->error));
    }
    close();
    return problem;
}

void VideoWriter::close() {
    state_.reset();
}

} // namespace kanimo
