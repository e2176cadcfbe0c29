#include "tools/scenepack/MediaWriter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "tools/scenepack/AudioMixdown.h"
#include "tools/scenepack/FfmpegHandles.h"

namespace scenesaver::scenepack {

namespace {

struct ContainerInfo {
  Container container;
  const char* extension;
  const char* muxer;
  const char* video_codec;
  AVPixelFormat pixel_format;
  const char* audio_codec;  // nullptr: no sound in this container
  int default_crf;
  int max_crf;
};

// FFV1 keeps the RGB pixels exactly; the others take 4:2:0 (GIF its 8-bit colour cube).
constexpr std::array kContainers = {
    ContainerInfo{Container::kMp4, ".mp4", "mp4", "libx264", AV_PIX_FMT_YUV420P, "aac", 23, 51},
    ContainerInfo{Container::kWebm, ".webm", "webm", "libvpx-vp9", AV_PIX_FMT_YUV420P, "libopus",
                  32, 63},
    ContainerInfo{Container::kMkv, ".mkv", "matroska", "ffv1", AV_PIX_FMT_BGR0, "flac", 0, 0},
    ContainerInfo{Container::kGif, ".gif", "gif", "gif", AV_PIX_FMT_RGB8, nullptr, 0, 0},
    ContainerInfo{Container::kWebp, ".webp", "webp", "libwebp_anim", AV_PIX_FMT_YUV420P, nullptr,
                  25, 100},
};

const ContainerInfo& InfoOf(Container container) {
  for (const ContainerInfo& info : kContainers) {
    if (info.container == container) return info;
  }
  return kContainers.front();
}

struct OutputFree {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0) {
      avio_closep(&context->pb);
    }
    avformat_free_context(context);
  }
};
using OutputHandle = std::unique_ptr<AVFormatContext, OutputFree>;

// The sample format the encoder takes that converts most simply from float.
AVSampleFormat ChooseSampleFormat(const AVCodec* codec) {
  const AVSampleFormat* formats = codec->sample_fmts;
  if (formats == nullptr) return AV_SAMPLE_FMT_FLT;
  for (const AVSampleFormat wanted : {AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_S16}) {
    for (const AVSampleFormat* f = formats; *f != AV_SAMPLE_FMT_NONE; ++f) {
      if (*f == wanted) return wanted;
    }
  }
  return formats[0];
}

}  // namespace

std::optional<Container> ContainerForPath(const std::string& path) {
  const auto dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const ContainerInfo& info : kContainers) {
    if (extension == info.extension) return info.container;
  }
  return std::nullopt;
}

std::string KnownVideoExtensions() {
  std::string known;
  for (const ContainerInfo& info : kContainers) {
    if (!known.empty()) known += ", ";
    known += info.extension;
  }
  return known;
}

bool ContainerHasAudio(Container container) { return InfoOf(container).audio_codec != nullptr; }
bool ContainerNeedsEvenSize(Container container) {
  return InfoOf(container).pixel_format == AV_PIX_FMT_YUV420P;
}
int DefaultCrf(Container container) { return InfoOf(container).default_crf; }
int MaxCrf(Container container) { return InfoOf(container).max_crf; }

struct MediaWriter::Impl {
  std::string path;
  OutputHandle output;
  AVStream* video_stream = nullptr;
  CodecContextHandle video;
  FrameHandle video_frame;
  SwsHandle convert;
  std::int64_t video_pts = 0;
  AVStream* audio_stream = nullptr;
  CodecContextHandle audio;
  FrameHandle audio_frame;
  SwrHandle resample;
  std::int64_t audio_pts = 0;
  int audio_frame_size = 1024;
  std::vector<float> pending;  // samples waiting for a whole encoder frame
  PacketHandle packet{av_packet_alloc()};
  bool header_written = false;

  std::string Failure(const std::string& what, int code) const {
    return path + ": " + what + ": " + FfmpegError(code);
  }

  std::optional<std::string> OpenVideo(const ContainerInfo& info, const MediaSettings& settings) {
    const AVCodec* codec = avcodec_find_encoder_by_name(info.video_codec);
    if (codec == nullptr) return path + ": this FFmpeg has no " + info.video_codec + " encoder";
    video.reset(avcodec_alloc_context3(codec));
    AVCodecContext& c = *video;
    c.width = settings.width;
    c.height = settings.height;
    c.pix_fmt = info.pixel_format;
    c.time_base = AVRational{1, settings.fps};
    c.framerate = AVRational{settings.fps, 1};
    c.thread_count = 0;
    const std::string crf = std::to_string(settings.crf);
    switch (info.container) {
      case Container::kMp4:
        av_opt_set(c.priv_data, "preset", "veryfast", 0);
        av_opt_set(c.priv_data, "crf", crf.c_str(), 0);
        break;
      case Container::kWebm:
        c.bit_rate = 0;
        av_opt_set(c.priv_data, "crf", crf.c_str(), 0);
        av_opt_set(c.priv_data, "deadline", "realtime", 0);
        av_opt_set(c.priv_data, "cpu-used", "8", 0);
        av_opt_set(c.priv_data, "row-mt", "1", 0);
        break;
      case Container::kMkv:
        c.level = 3;
        av_opt_set(c.priv_data, "slices", "4", 0);
        av_opt_set(c.priv_data, "slicecrc", "1", 0);
        break;
      case Container::kGif:
        break;
      case Container::kWebp:
        av_opt_set(c.priv_data, "quality", std::to_string(100 - settings.crf).c_str(), 0);
        break;
    }
    if ((output->oformat->flags & AVFMT_GLOBALHEADER) != 0) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int code = avcodec_open2(&c, codec, nullptr); code < 0) {
      return Failure(std::string("cannot start the ") + info.video_codec + " encoder", code);
    }
    video_stream = avformat_new_stream(output.get(), nullptr);
    if (video_stream == nullptr) return path + ": cannot add a video stream";
    video_stream->time_base = c.time_base;
    video_stream->avg_frame_rate = c.framerate;
    avcodec_parameters_from_context(video_stream->codecpar, &c);
    video_frame.reset(av_frame_alloc());
    video_frame->format = c.pix_fmt;
    video_frame->width = c.width;
    video_frame->height = c.height;
    if (const int code = av_frame_get_buffer(video_frame.get(), 0); code < 0) {
      return Failure("cannot hold a frame", code);
    }
    // Only a change of pixel format, at the same size; bicubic as FFmpeg's own tools use.
    convert.reset(sws_getContext(c.width, c.height, AV_PIX_FMT_RGB0, c.width, c.height, c.pix_fmt,
                                 SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!convert) return path + ": cannot convert frames to the codec's pixel format";
    return std::nullopt;
  }

  std::optional<std::string> OpenAudio(const ContainerInfo& info) {
    const AVCodec* codec = avcodec_find_encoder_by_name(info.audio_codec);
    if (codec == nullptr) return path + ": this FFmpeg has no " + info.audio_codec + " encoder";
    audio.reset(avcodec_alloc_context3(codec));
    AVCodecContext& c = *audio;
    c.sample_rate = kMixRate;
    c.sample_fmt = ChooseSampleFormat(codec);
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&c.ch_layout, &stereo);
    c.time_base = AVRational{1, kMixRate};
    if (info.container != Container::kMkv) c.bit_rate = 128000;
    if ((output->oformat->flags & AVFMT_GLOBALHEADER) != 0) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int code = avcodec_open2(&c, codec, nullptr); code < 0) {
      return Failure(std::string("cannot start the ") + info.audio_codec + " encoder", code);
    }
    if (c.frame_size > 0) audio_frame_size = c.frame_size;
    audio_stream = avformat_new_stream(output.get(), nullptr);
    if (audio_stream == nullptr) return path + ": cannot add an audio stream";
    audio_stream->time_base = c.time_base;
    avcodec_parameters_from_context(audio_stream->codecpar, &c);
    SwrContext* raw = nullptr;
    AVChannelLayout input = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&raw, &c.ch_layout, c.sample_fmt, kMixRate, &input, AV_SAMPLE_FMT_FLT,
                            kMixRate, 0, nullptr) < 0 ||
        swr_init(raw) < 0) {
      swr_free(&raw);
      return path + ": cannot convert the sound to the codec's sample format";
    }
    resample.reset(raw);
    audio_frame.reset(av_frame_alloc());
    return std::nullopt;
  }

  // Sends a frame (nullptr: drain) and writes every packet the encoder gives back.
  std::optional<std::string> Encode(AVCodecContext& codec, AVStream& stream, AVFrame* frame) {
    if (const int code = avcodec_send_frame(&codec, frame); code < 0) {
      return Failure("the encoder refused a frame", code);
    }
    for (;;) {
      const int code = avcodec_receive_packet(&codec, packet.get());
      if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return std::nullopt;
      if (code < 0) return Failure("the encoder failed", code);
      av_packet_rescale_ts(packet.get(), codec.time_base, stream.time_base);
      packet->stream_index = stream.index;
      if (const int written = av_interleaved_write_frame(output.get(), packet.get()); written < 0) {
        return Failure("cannot write", written);
      }
    }
  }

  std::optional<std::string> EncodeAudioFrame(std::size_t frames) {
    AVFrame& f = *audio_frame;
    av_frame_unref(&f);
    f.format = audio->sample_fmt;
    f.nb_samples = static_cast<int>(frames);
    f.sample_rate = kMixRate;
    av_channel_layout_copy(&f.ch_layout, &audio->ch_layout);
    if (const int code = av_frame_get_buffer(&f, 0); code < 0) {
      return Failure("cannot hold the sound", code);
    }
    const auto* in = reinterpret_cast<const std::uint8_t*>(pending.data());
    if (swr_convert(resample.get(), f.data, f.nb_samples, &in, f.nb_samples) < 0) {
      return path + ": cannot convert the sound";
    }
    f.pts = audio_pts;
    audio_pts += f.nb_samples;
    pending.erase(pending.begin(),
                  pending.begin() + static_cast<std::ptrdiff_t>(frames * kMixChannels));
    return Encode(*audio, *audio_stream, &f);
  }
};

MediaWriter::MediaWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MediaWriter::~MediaWriter() = default;

std::variant<std::unique_ptr<MediaWriter>, std::string> MediaWriter::Open(
    const std::string& path, const std::string& shown_name, Container container,
    const MediaSettings& settings) {
  av_log_set_level(AV_LOG_ERROR);
  const ContainerInfo& info = InfoOf(container);
  auto impl = std::make_unique<Impl>();
  impl->path = shown_name;
  AVFormatContext* raw = nullptr;
  if (const int code = avformat_alloc_output_context2(&raw, nullptr, info.muxer, path.c_str());
      code < 0 || raw == nullptr) {
    return impl->Failure("cannot set up the container", code);
  }
  impl->output.reset(raw);
  if (auto problem = impl->OpenVideo(info, settings)) return *problem;
  if (settings.audio && info.audio_codec != nullptr) {
    if (auto problem = impl->OpenAudio(info)) return *problem;
  }
  if (const int code = avio_open(&impl->output->pb, path.c_str(), AVIO_FLAG_WRITE); code < 0) {
    return impl->Failure("cannot create the file", code);
  }
  AVDictionary* options = nullptr;
  if (container == Container::kMp4) av_dict_set(&options, "movflags", "+faststart", 0);
  if (container == Container::kGif || container == Container::kWebp) {
    av_dict_set(&options, "loop", "0", 0);
  }
  const int code = avformat_write_header(impl->output.get(), &options);
  av_dict_free(&options);
  if (code < 0) return impl->Failure("cannot write", code);
  impl->header_written = true;
  return std::unique_ptr<MediaWriter>(new MediaWriter(std::move(impl)));
}

std::optional<std::string> MediaWriter::WriteVideo(const std::uint32_t* pixels, int stride) {
  Impl& m = *impl_;
  AVFrame& frame = *m.video_frame;
  if (const int code = av_frame_make_writable(&frame); code < 0) {
    return m.Failure("cannot hold a frame", code);
  }
  const auto* source = reinterpret_cast<const std::uint8_t*>(pixels);
  const int source_stride = stride * 4;
  sws_scale(m.convert.get(), &source, &source_stride, 0, frame.height, frame.data, frame.linesize);
  frame.pts = m.video_pts++;
  return m.Encode(*m.video, *m.video_stream, &frame);
}

std::optional<std::string> MediaWriter::RepeatVideo() {
  Impl& m = *impl_;
  AVFrame& frame = *m.video_frame;
  // Keeps the content: a frame the encoder still holds is copied first.
  if (const int code = av_frame_make_writable(&frame); code < 0) {
    return m.Failure("cannot hold a frame", code);
  }
  frame.pts = m.video_pts++;
  return m.Encode(*m.video, *m.video_stream, &frame);
}

std::optional<std::string> MediaWriter::WriteAudio(std::span<const float> samples) {
  Impl& m = *impl_;
  if (!m.audio) return std::nullopt;
  m.pending.insert(m.pending.end(), samples.begin(), samples.end());
  const auto whole = static_cast<std::size_t>(m.audio_frame_size);
  while (m.pending.size() >= whole * kMixChannels) {
    if (auto problem = m.EncodeAudioFrame(whole)) return problem;
  }
  return std::nullopt;
}

std::optional<std::string> MediaWriter::Finish() {
  Impl& m = *impl_;
  if (m.audio) {
    if (!m.pending.empty()) {
      if (auto problem = m.EncodeAudioFrame(m.pending.size() / kMixChannels)) return problem;
    }
    if (auto problem = m.Encode(*m.audio, *m.audio_stream, nullptr)) return problem;
  }
  if (auto problem = m.Encode(*m.video, *m.video_stream, nullptr)) return problem;
  if (const int code = av_write_trailer(m.output.get()); code < 0) {
    return m.Failure("cannot write", code);
  }
  if (const int code = avio_closep(&m.output->pb); code < 0) {
    return m.Failure("cannot write", code);
  }
  return std::nullopt;
}

}  // namespace scenesaver::scenepack
