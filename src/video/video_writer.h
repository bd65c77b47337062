#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kanimo {

class OutputFile;
class Picture;

// The size of a video's frames, in pixels.
struct VideoFrameSize {
    int width = 0;
    int height = 0;
};

// The frame of a video made from pictures of `width` by `height` pixels. 4:2:0 video needs
// even sides, so with `side` 0 an odd picture loses its last column or row (a world
// picture's last row and column lie past the world's edge); a `side` of its own scales the
// picture down to that width. Returns false and a one-line reason for a side that is odd
// or larger than the picture.
bool videoFrameSize(int width, int height, int side, VideoFrameSize& size, std::string& reason);

// Whether the path names a video VideoWriter writes: .mp4 for H.264, .webm for VP9.
bool isVideoPath(std::string_view path);

// Encodes pictures, one per frame, into an open OutputFile at `fps` frames a second.
// The file is written through its stream; a device or a pipe, which cannot seek, gets an
// MP4 in fragments. Every method returns an empty string or a one-line reason naming the
// file. The caller commits the file after finish(), or discards it after a failure.
class VideoWriter {
  public:
    VideoWriter();
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Chooses the codec by the file's extension and starts the stream. `file` must stay
    // open until finish() or close().
    std::string open(OutputFile& file, int pictureWidth, int pictureHeight,
                     const VideoFrameSize& frame, int fps);
    bool isOpen() const { return state_ != nullptr; }

    // The picture must have the size given to open().
    std::string addFrame(const Picture& picture);

    // Encodes what the encoder still holds and ends the file.
    std::string finish();

    // Lets go of the encoder without ending the file, as before discarding it.
    void close();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kanimo
