// Videos written by the built kanimo-sim, read back with FFmpeg's libraries and held against
// the PNG frames the same run writes.

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/sim_shell.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;
using testing::runSim;
using testing::scratchDir;
using testing::SimResult;

struct Decoded {
    int frames = 0;
    int width = 0;
    int height = 0;
    double framesPerSecond = 0;
    std::vector<std::uint8_t> firstRgb; // the first frame as RGB, scaled to the size asked for
};

// Decodes every frame of a video or picture file; the first is converted to RGB at
// `rgbWidth` by `rgbHeight` pixels, taking the left `cropWidth` by `cropHeight` corner of it
// (0: all of it).
Decoded decode(const fs::path& path, int rgbWidth, int rgbHeight, int cropWidth = 0,
               int cropHeight = 0) {
    Decoded result;
    AVFormatContext* container = nullptr;
    if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0) return result;
    avformat_find_stream_info(container, nullptr);
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(container, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (decoder != nullptr &&
        avcodec_parameters_to_context(decoder, container->streams[index]->codecpar) >= 0 &&
        avcodec_open2(decoder, codec, nullptr) >= 0) {
        result.framesPerSecond = av_q2d(container->streams[index]->avg_frame_rate);
        auto take = [&] {
            while (avcodec_receive_frame(decoder, frame) >= 0) {
                if (result.frames++ > 0) continue;
                result.width = frame->width;
                result.height = frame->height;
                const int w = cropWidth > 0 ? cropWidth : frame->width;
                const int h = cropHeight > 0 ? cropHeight : frame->height;
                SwsContext* scaler = sws_getContext(w, h, static_cast<AVPixelFormat>(frame->format),
                                                    rgbWidth, rgbHeight, AV_PIX_FMT_RGB24, SWS_AREA,
                                                    nullptr, nullptr, nullptr);
                // The scaler may write a little past the last row's end.
                const std::size_t size = static_cast<std::size_t>(rgbWidth) * rgbHeight * 3;
                result.firstRgb.resize(size + 64);
                std::uint8_t* out[1] = {result.firstRgb.data()};
                const int outStride[1] = {rgbWidth * 3};
                sws_scale(scaler, frame->data, frame->linesize, 0, h, out, outStride);
                sws_freeContext(scaler);
                result.firstRgb.resize(size);
            }
        };
        while (av_read_frame(container, packet) >= 0) {
            if (packet->stream_index == index) {
                avcodec_send_packet(decoder, packet);
                take();
            }
            av_packet_unref(packet);
        }
        avcodec_send_packet(decoder, nullptr);
        take();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&container);
    return result;
}

double meanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 255;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / static_cast<double>(a.size());
}

// A run of 30 steps with a frame every 3 steps: frames 0, 3, ..., 30. The mean difference
// of a decoded frame from its PNG is about 1.6 of 255 (H.264) and 1.8 (VP9, scaled down).
TEST(Video, HasTheFramesAndSizeAskedForAndLooksLikeTheFrames) {
    const fs::path dir = scratchDir("video");
    const std::string run = "--seed 4 --steps 30 --every 3 --frames '" + (dir / "png").string();
    SimResult r = runSim(run + "' --video '" + (dir / "run.mp4").string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    r = runSim(run + "' --video '" + (dir / "run.webm").string() +
               "' --video-size 300 --fps 12 --quiet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    // The world picture is 601 pixels square; the video drops its last row and column.
    const Decoded png = decode(dir / "png" / "frame-000000.png", 600, 600, 600, 600);
    ASSERT_EQ(png.width, 601);
    const Decoded mp4 = decode(dir / "run.mp4", 600, 600);
    EXPECT_EQ(mp4.frames, 11);
    EXPECT_EQ(mp4.width, 600);
    EXPECT_EQ(mp4.height, 600);
    EXPECT_DOUBLE_EQ(mp4.framesPerSecond, 30);
    EXPECT_LT(meanDifference(mp4.firstRgb, png.firstRgb), 2.5);

    // Scaled down, it is the whole picture scaled down.
    const Decoded small = decode(dir / "png" / "frame-000000.png", 300, 300);
    const Decoded webm = decode(dir / "run.webm", 300, 300);
    EXPECT_EQ(webm.frames, 11);
    EXPECT_EQ(webm.width, 300);
    EXPECT_EQ(webm.height, 300);
    EXPECT_DOUBLE_EQ(webm.framesPerSecond, 12);
    EXPECT_LT(meanDifference(webm.firstRgb, small.firstRgb), 3.0);

    // The first frame is the first step's, not a later one.
    const Decoded later = decode(dir / "png" / "frame-000030.png", 600, 600, 600, 600);
    EXPECT_LT(meanDifference(mp4.firstRgb, png.firstRgb),
              meanDifference(mp4.firstRgb, later.firstRgb));
    fs::remove_all(dir);
}

} // namespace
} // namespace kanimo
