// MP4 (H.264 by libx264) and WebM (VP9 by libvpx) through FFmpeg's
// libraries, in yuv420p, which needs even sides: an odd picture gets its last
// column or row once more. The muxer writes through our own I/O context into
// the atomic writer's file beside the target, so a failure or a cancel leaves
// nothing behind.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "animation/Animation.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {

struct Output {
  int fd = -1;
  int err = 0;  // errno of the first failed write
};

int WritePacket(void* opaque, uint8_t* data, int size) {
  auto* out = static_cast<Output*>(opaque);
  if (out->err) return AVERROR(out->err);
  if (!WriteToDescriptor(out->fd, std::string_view(reinterpret_cast<const char*>(data), size))) {
    out->err = errno ? errno : EIO;
    return AVERROR(out->err);
  }
  return size;
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
  const int fd = static_cast<Output*>(opaque)->fd;
  if (whence & AVSEEK_SIZE) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_size : AVERROR(errno);
  }
  const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : at;
}

// Everything FFmpeg hands out for one file, freed in one place.
struct Session {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVIOContext* io = nullptr;
  SwsContext* sws = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  AVStream* stream = nullptr;
  ~Session() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    sws_freeContext(sws);
    avcodec_free_context(&codec);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
    avformat_free_context(format);
  }
};

std::string AvText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Hands every packet the encoder has ready to the muxer.
int Drain(Session& s) {
  for (;;) {
    int r = avcodec_receive_packet(s.codec, s.packet);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
    if (r < 0) return r;
    if (s.packet->duration == 0) s.packet->duration = 1;
    av_packet_rescale_ts(s.packet, s.codec->time_base, s.stream->time_base);
    s.packet->stream_index = s.stream->index;
    r = av_interleaved_write_frame(s.format, s.packet);
    if (r < 0) return r;
  }
}

// The frame with its last column and row repeated up to even sides.
QImage EvenSided(const QImage& frame) {
  const int w = frame.width() + (frame.width() & 1), h = frame.height() + (frame.height() & 1);
  if (w == frame.width() && h == frame.height()) return frame;
  QImage even(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    const auto* src =
        reinterpret_cast<const QRgb*>(frame.constScanLine(std::min(y, frame.height() - 1)));
    auto* dst = reinterpret_cast<QRgb*>(even.scanLine(y));
    for (int x = 0; x < w; ++x) dst[x] = src[std::min(x, frame.width() - 1)];
  }
  return even;
}

}  // namespace

bool WriteVideo(FrameSource& frames, const AnimationOptions& options, const std::string& path,
                std::string* error, const AnimationProgress& progress) {
  const bool mp4 = options.kind == AnimationKind::Mp4;
  // Failures come back as our own messages; the encoders' chatter would
  // only break into the exporter's progress bar.
  av_log_set_level(AV_LOG_QUIET);
  const int w = frames.Width() + (frames.Width() & 1), h = frames.Height() + (frames.Height() & 1);
  std::string why;
  bool cancelled = false;
  Output out;
  auto encode = [&](int fd) -> bool {
    out.fd = fd;
    Session s;
    auto fail = [&](const std::string& text) {
      why = text;
      errno = out.err;
      return false;
    };
    const AVCodec* codec = avcodec_find_encoder_by_name(mp4 ? "libx264" : "libvpx-vp9");
    if (!codec)
      return fail(mp4 ? "FFmpeg has no H.264 encoder (libx264)"
                      : "FFmpeg has no VP9 encoder (libvpx)");
    if (avformat_alloc_output_context2(&s.format, nullptr, mp4 ? "mp4" : "webm", nullptr) < 0)
      return fail("FFmpeg cannot write this kind of file");
    s.stream = avformat_new_stream(s.format, nullptr);
    s.codec = avcodec_alloc_context3(codec);
    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (!s.stream || !s.codec || !s.frame || !s.packet) return fail("out of memory");
    const AVRational rate = av_d2q(options.fps, 100000);
    s.codec->width = w;
    s.codec->height = h;
    s.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    s.codec->time_base = av_inv_q(rate);
    s.codec->framerate = rate;
    s.codec->gop_size = std::max(1, static_cast<int>(std::lround(options.fps * 2)));
    s.codec->thread_count = 0;
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER)
      s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Quick settings that still keep flat faces and their edges clean.
    if (mp4) {
      av_opt_set(s.codec->priv_data, "preset", "veryfast", 0);
      av_opt_set(s.codec->priv_data, "crf", "18", 0);
    } else {
      av_opt_set(s.codec->priv_data, "deadline", "realtime", 0);
      av_opt_set(s.codec->priv_data, "cpu-used", "8", 0);
      av_opt_set(s.codec->priv_data, "crf", "30", 0);
      av_opt_set(s.codec->priv_data, "row-mt", "1", 0);
      s.codec->bit_rate = 0;
    }
    int r = avcodec_open2(s.codec, codec, nullptr);
    if (r < 0) return fail("the video encoder could not start: " + AvText(r));
    if (avcodec_parameters_from_context(s.stream->codecpar, s.codec) < 0)
      return fail("out of memory");
    s.stream->time_base = s.codec->time_base;
    s.stream->avg_frame_rate = rate;

    constexpr int kBuffer = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBuffer));
    s.io = avio_alloc_context(buffer, kBuffer, 1, &out, nullptr, WritePacket, Seek);
    if (!s.io) {
      av_free(buffer);
      return fail("out of memory");
    }
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if ((r = avformat_write_header(s.format, nullptr)) < 0) return fail(AvText(r));

    s.frame->format = AV_PIX_FMT_YUV420P;
    s.frame->width = w;
    s.frame->height = h;
    if (av_frame_get_buffer(s.frame, 0) < 0) return fail("out of memory");
    s.sws = sws_getContext(w, h, AV_PIX_FMT_BGRA, w, h, AV_PIX_FMT_YUV420P,
                           SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!s.sws) return fail("the colour conversion could not start");
    const int count = frames.Count();
    for (int i = 0; i < count; ++i) {
      // Qt's ARGB32 lies in memory as B, G, R, A on every machine we build for.
      const QImage drawn = FrameIn(frames, i, QImage::Format_ARGB32);
      if (drawn.isNull()) return fail("a frame could not be drawn");
      const QImage picture = EvenSided(drawn);
      if (av_frame_make_writable(s.frame) < 0) return fail("out of memory");
      const uint8_t* planes[1] = {picture.constBits()};
      const int strides[1] = {static_cast<int>(picture.bytesPerLine())};
      sws_scale(s.sws, planes, strides, 0, h, s.frame->data, s.frame->linesize);
      s.frame->pts = i;
      if ((r = avcodec_send_frame(s.codec, s.frame)) < 0 || (r = Drain(s)) < 0)
        return fail(AvText(r));
      if (progress && !progress((i + 1.0) / (count + 1))) {
        cancelled = true;
        errno = ECANCELED;
        return false;
      }
    }
    if ((r = avcodec_send_frame(s.codec, nullptr)) < 0 || (r = Drain(s)) < 0)
      return fail(AvText(r));
    if ((r = av_write_trailer(s.format)) < 0) return fail(AvText(r));
    avio_flush(s.io);
    if (out.err) return fail(AvText(AVERROR(out.err)));
    return true;
  };
  std::string writeError;
  if (WriteFileStreamed(path, encode, &writeError)) {
    if (progress) progress(1);
    return true;
  }
  if (error) {
    if (cancelled)
      error->clear();
    else if (out.err || why.empty())
      *error = writeError;  // the disk's own reason, in the usual words
    else
      *error = "Failed to save " + path + ": " + why;
  }
  return false;
}

}  // namespace wlg
