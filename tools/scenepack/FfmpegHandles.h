// Owning handles for the FFmpeg objects scenepack's export uses, and FFmpeg's error text.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace scenesaver::scenepack {

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using CodecContextHandle = std::unique_ptr<AVCodecContext, CodecContextFree>;

struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FrameHandle = std::unique_ptr<AVFrame, FrameFree>;

struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketHandle = std::unique_ptr<AVPacket, PacketFree>;

struct SwsFree {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
using SwsHandle = std::unique_ptr<SwsContext, SwsFree>;

struct SwrFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
using SwrHandle = std::unique_ptr<SwrContext, SwrFree>;

// The text FFmpeg gives for an error code.
inline std::string FfmpegError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace scenesaver::scenepack
