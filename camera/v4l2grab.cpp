// V4L2 back-end of a view through FFmpeg: input, decoder, the contrast/gamma/sharpening filter graph
// and the conversion into the working frame.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QDir>
#include <QtDebug>

#include "app/globals.h"
#include "cameraglobals.h"
#include "cameraslot.h"
#include "platform/system/syspath.h"

namespace {
int interruptCallback(void* opaque) {
    auto* self = static_cast<CameraSlot*>(opaque);
    return self->v4l2Abort.load() ? 1 : 0;
}

QByteArray devicePath(int number) {
    QString path = v4l2Config().devicePattern;
    if (path.contains(QLatin1String("%d"))) path.replace(QLatin1String("%d"), QString::number(number));
    if (QDir::isAbsolutePath(path)) path = SysPath(path);
    return path.toLocal8Bit();
}

// Opens device `number` into *ctx (allocated here); false and *ctx null on failure.
bool openInput(CameraSlot* self, int number, AVFormatContext** ctx, AVDictionary** options) {
    const V4L2Config& cfg = v4l2Config();
    const AVInputFormat* fmt = av_find_input_format(cfg.inputFormat.toLatin1().constData());
    if (!fmt) return false;
    av_dict_free(options);
    for (const auto& o : cfg.options)
        av_dict_set(options, o.first.toUtf8().constData(), o.second.toUtf8().constData(), 0);
    *ctx = avformat_alloc_context();
    if (!*ctx) return false;
    (*ctx)->interrupt_callback.callback = interruptCallback;
    (*ctx)->interrupt_callback.opaque = self;
    // On failure FFmpeg frees the context and nulls the pointer.
    return avformat_open_input(ctx, devicePath(number).constData(), fmt, options) >= 0;
}
}  // namespace

bool CameraSlot::openV4L2() {
    v4l2Abort = false;
    bool opened = openInput(this, slot, &fmtCtx, &options);
    for (int k = gFindCamera; !opened && k <= v4l2Config().maxDevice; ++k)
        opened = openInput(this, k, &fmtCtx, &options);
    if (!opened) {
        av_dict_free(&options);
        fmtCtx = nullptr;
        return false;
    }
    auto fail = [this] {
        avcodec_free_context(&codecCtx);
        avformat_close_input(&fmtCtx);
        av_dict_free(&options);
        videoStream = -1;
        return false;
    };
    if (avformat_find_stream_info(fmtCtx, nullptr) < 0) return fail();
    videoStream = -1;
    for (unsigned i = 0; i < fmtCtx->nb_streams; ++i)
        if (fmtCtx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) videoStream = int(i);
    if (videoStream < 0) return fail();
    const AVCodecParameters* par = fmtCtx->streams[videoStream]->codecpar;
    decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) return fail();
    codecCtx = avcodec_alloc_context3(decoder);
    if (!codecCtx || avcodec_parameters_to_context(codecCtx, par) < 0) return fail();
    if (avcodec_open2(codecCtx, decoder, nullptr) < 0) return fail();
    decodedFrame = av_frame_alloc();
    packet = av_packet_alloc();
    filteredFrame = av_frame_alloc();
    return true;
}

void CameraSlot::closeV4L2() {
    av_packet_free(&packet);
    av_frame_free(&decodedFrame);
    av_frame_free(&filteredFrame);
    freeFilterGraph();
    avcodec_free_context(&codecCtx);
    avformat_close_input(&fmtCtx);
    av_dict_free(&options);
    videoStream = -1;
}

void CameraSlot::freeFilterGraph() {
    QMutexLocker lock(&graphLock);
    avfilter_graph_free(&filterGraph);
    bufferSrc = nullptr;
    bufferSink = nullptr;
}

int CameraSlot::init_filters(const char* description) {
    const AVFilter* src = avfilter_get_by_name("buffer");
    const AVFilter* sink = avfilter_get_by_name("buffersink");
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    AVFilterGraph* graph = avfilter_graph_alloc();
    AVFilterContext* srcCtx = nullptr;
    AVFilterContext* sinkCtx = nullptr;
    int ret = 0;
    if (!outputs || !inputs || !graph || !src || !sink) {
        ret = AVERROR(ENOMEM);
    } else if (!codecCtx || !fmtCtx || videoStream < 0) {
        ret = AVERROR(EINVAL);
    } else {
        const AVRational tb = fmtCtx->streams[videoStream]->time_base;
        char args[512];
        snprintf(args, sizeof(args), "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                 codecCtx->width, codecCtx->height, codecCtx->pix_fmt, tb.num, tb.den,
                 codecCtx->sample_aspect_ratio.num, codecCtx->sample_aspect_ratio.den);
        ret = avfilter_graph_create_filter(&srcCtx, src, "in", args, nullptr, graph);
        if (ret < 0) {
            av_log(nullptr, AV_LOG_ERROR, "Cannot create buffer source\n");
        } else if ((ret = avfilter_graph_create_filter(&sinkCtx, sink, "out", nullptr, nullptr, graph)) < 0) {
            av_log(nullptr, AV_LOG_ERROR, "Cannot create buffer sink\n");
        } else {
            const enum AVPixelFormat pixFmts[] = {AV_PIX_FMT_GRAY8, AV_PIX_FMT_NONE};
            ret = av_opt_set_int_list(sinkCtx, "pix_fmts", pixFmts, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
            if (ret < 0) {
                av_log(nullptr, AV_LOG_ERROR, "Cannot set output pixel format\n");
            } else {
                outputs->name = av_strdup("in");
                outputs->filter_ctx = srcCtx;
                outputs->pad_idx = 0;
                outputs->next = nullptr;
                inputs->name = av_strdup("out");
                inputs->filter_ctx = sinkCtx;
                inputs->pad_idx = 0;
                inputs->next = nullptr;
                ret = avfilter_graph_parse_ptr(graph, description ? description : "", &inputs, &outputs,
                                               nullptr);
                if (ret >= 0) ret = avfilter_graph_config(graph, nullptr);
            }
        }
    }
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    // The new graph replaces the old one only when it is complete; after a failure the view has no
    // graph and delivers no frames until a good description is applied.
    AVFilterGraph* old = nullptr;
    {
        QMutexLocker lock(&graphLock);
        old = filterGraph;
        if (ret >= 0) {
            filterGraph = graph;
            bufferSrc = srcCtx;
            bufferSink = sinkCtx;
            graph = nullptr;
        } else {
            filterGraph = nullptr;
            bufferSrc = nullptr;
            bufferSink = nullptr;
        }
    }
    avfilter_graph_free(&old);
    avfilter_graph_free(&graph);
    return ret;
}

int CameraSlot::RebuildFilters() {
    const QByteArray text = FilterDescription().toLatin1();
    return init_filters(text.constData());
}

bool CameraSlot::grabV4L2() {
    if (!fmtCtx || !packet || !codecCtx || !decodedFrame || !filteredFrame) return false;
    // Reading and decoding run without any lock: a read may block until the device's next frame.
    if (av_read_frame(fmtCtx, packet) < 0) return false;
    if (packet->stream_index != videoStream) {
        av_packet_unref(packet);
        return false;
    }
    const int sent = avcodec_send_packet(codecCtx, packet);
    av_packet_unref(packet);
    if (sent < 0) return false;
    bool delivered = false;
    while (avcodec_receive_frame(codecCtx, decodedFrame) == 0) {
        cv::Mat mat;
        {
            QMutexLocker lock(&graphLock);
            if (filterGraph && bufferSrc && bufferSink &&
                av_buffersrc_add_frame_flags(bufferSrc, decodedFrame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0) {
                // Only a frame that was really pulled from the sink is converted.
                while (av_buffersink_get_frame(bufferSink, filteredFrame) >= 0) {
                    mat = avframe_to_cvmat(filteredFrame);
                    av_frame_unref(filteredFrame);
                }
            }
        }
        av_frame_unref(decodedFrame);
        if (!mat.empty() && mat.rows == gImageH && mat.cols == gImageW) {
            handOff(mat.data, mat.channels());
            delivered = true;
        }
    }
    return delivered;
}

cv::Mat avframe_to_cvmat(AVFrame* frame) {
    const int type = gisColor ? CV_8UC3 : CV_8UC1;
    cv::Mat out = cv::Mat::zeros(std::max(gImageH, 0), std::max(gImageW, 0), type);
    if (!frame || frame->width <= 0 || frame->height <= 0 || out.empty()) return out;
    const int w = frame->width, h = frame->height;
    const AVPixelFormat dstFmt = gisColor ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_GRAY8;
    SwsContext* sws = sws_getContext(w, h, AVPixelFormat(frame->format), w, h, dstFmt, SWS_FAST_BILINEAR,
                                     nullptr, nullptr, nullptr);
    if (!sws) return out;
    cv::Mat mat(h, w, type);
    uint8_t* dst[4] = {mat.data, nullptr, nullptr, nullptr};
    int dstStride[4] = {int(mat.step[0]), 0, 0, 0};
    sws_scale(sws, frame->data, frame->linesize, 0, h, dst, dstStride);
    sws_freeContext(sws);
    // Centred on black; a frame larger than the working size keeps its centre.
    const int cw = std::min(w, gImageW), ch = std::min(h, gImageH);
    const cv::Rect srcRect((w - cw) / 2, (h - ch) / 2, cw, ch);
    const cv::Rect dstRect((gImageW - cw) / 2, (gImageH - ch) / 2, cw, ch);
    mat(srcRect).copyTo(out(dstRect));
    return out;
}
