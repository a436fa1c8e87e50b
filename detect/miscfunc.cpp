#include "miscfunc.h"

#include <algorithm>
#include <cstring>
#include <opencv2/imgproc.hpp>

namespace {
constexpr std::array<std::array<int, 256>, 3> makeGrayTable() {
    std::array<std::array<int, 256>, 3> t{};
    for (int i = 0; i < 256; ++i) {
        t[0][i] = int(i * 1024 * 0.299);
        t[1][i] = int(i * 1024 * 0.587);
        t[2][i] = int(i * 1024 * 0.114);
    }
    return t;
}

inline uchar byteOf(int v, int k) {
    return uchar((unsigned(v) >> (8 * k)) & 0xFF);
}
}  // namespace

const std::array<std::array<int, 256>, 3> gaRGB2Gray = makeGrayTable();

void RGB2Gray(uchar* out, int* in, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) {
        const int v = in[i];
        out[i] = uchar(
            (gaRGB2Gray[0][byteOf(v, 0)] + gaRGB2Gray[1][byteOf(v, 1)] + gaRGB2Gray[2][byteOf(v, 2)]) / 1024);
    }
}

void RGBA2Gray(uchar* out, int* in, int width, int height) {
    RGB2Gray(out, in, width, height);
}

uchar RGB2HueByte(uchar c0, uchar c1, uchar c2) {
    const int M = std::max({c0, c1, c2});
    const int m = std::min({c0, c1, c2});
    if (M == 0 || M == m) return 0;
    const float d = float(M - m);
    float x;
    if (M == c0) {
        x = (int(c1) - int(c2)) / d;
        if (c1 < c2) x += 6;
    } else if (M == c1) {
        x = (int(c2) - int(c0)) / d + 2;
    } else {
        x = (int(c0) - int(c1)) / d + 4;
    }
    return uchar(int(x * 42.5f));
}

void RGBA2Hue(uchar* out, int* in, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) out[i] = RGB2HueByte(byteOf(in[i], 0), byteOf(in[i], 1), byteOf(in[i], 2));
}

void Gray2RGBA(uchar* in, int* out, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) out[i] = int(in[i]) * 65793;
}

void Gray2RGB(uchar* in, int* out, int width, int height) {
    Gray2RGBA(in, out, width, height);
}

void RGB2RGBA(uchar* out, uchar* in, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) {
        out[4 * i] = in[3 * i + 2];
        out[4 * i + 1] = in[3 * i + 1];
        out[4 * i + 2] = in[3 * i];
        out[4 * i + 3] = 0;
    }
}

void ExtractRGBA(uchar* p0, uchar* p1, uchar* p2, uchar* in, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) {
        p0[i] = in[4 * i];
        p1[i] = in[4 * i + 1];
        p2[i] = in[4 * i + 2];
    }
}

void GenRGBA(uchar* p0, uchar* p1, uchar* p2, uchar* out, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) {
        out[4 * i] = p0[i];
        out[4 * i + 1] = p1[i];
        out[4 * i + 2] = p2[i];
        out[4 * i + 3] = 0;
    }
}

void Gray24To8(uchar* out, uchar* in, int width, int height) {
    const int n = width * height;
    for (int i = 0; i < n; ++i) out[i] = in[3 * i];
}

namespace {
// Colour of a mosaic sample: 0 -> byte 0, 1 -> green, 2 -> byte 2. Even rows: G, c0, G, c0 ...;
// odd rows: c2, G, c2, G ...
inline int bayerColour(int x, int y) {
    if (y % 2 == 0) return x % 2 == 0 ? 1 : 0;
    return x % 2 == 0 ? 2 : 1;
}

// Rounded mean of the existing neighbours of (x, y) at the given offsets that carry `colour`.
int meanOf(const uchar* in, int w, int h, int x, int y, int colour, const int (*off)[2], int count) {
    int sum = 0, n = 0;
    for (int k = 0; k < count; ++k) {
        const int xx = x + off[k][0], yy = y + off[k][1];
        if (xx < 0 || yy < 0 || xx >= w || yy >= h || bayerColour(xx, yy) != colour) continue;
        sum += in[yy * w + xx];
        ++n;
    }
    return n ? (sum + n / 2) / n : 0;
}

void demosaicPixel(const uchar* in, uchar* out, int w, int h, int x, int y) {
    static const int cross[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    static const int diag[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    static const int horiz[2][2] = {{-1, 0}, {1, 0}};
    static const int vert[2][2] = {{0, -1}, {0, 1}};
    const int own = bayerColour(x, y);
    int c[3];
    c[own] = in[y * w + x];
    if (own == 1) {
        // green sample: byte-0 colour lies horizontally on even rows, vertically on odd rows
        const bool evenRow = y % 2 == 0;
        c[0] = meanOf(in, w, h, x, y, 0, evenRow ? horiz : vert, 2);
        c[2] = meanOf(in, w, h, x, y, 2, evenRow ? vert : horiz, 2);
    } else {
        c[1] = meanOf(in, w, h, x, y, 1, cross, 4);
        c[2 - own] = meanOf(in, w, h, x, y, 2 - own, diag, 4);
    }
    uchar* p = out + (size_t(y) * w + x) * 4;
    p[0] = uchar(c[0]);
    p[1] = uchar(c[1]);
    p[2] = uchar(c[2]);
    p[3] = 0;
}
}  // namespace

void BorderBayer2RGBA(const uchar* in, uchar* out, int width, int height) {
    if (width <= 0 || height <= 0) return;
    for (int x = 0; x < width; ++x) {
        demosaicPixel(in, out, width, height, x, 0);
        demosaicPixel(in, out, width, height, x, height - 1);
    }
    for (int y = 1; y < height - 1; ++y) {
        demosaicPixel(in, out, width, height, 0, y);
        demosaicPixel(in, out, width, height, width - 1, y);
    }
}

void Bayer2RGBA(const uchar* in, uchar* out, int width, int height) {
    if (width <= 0 || height <= 0) return;
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x) demosaicPixel(in, out, width, height, x, y);
    BorderBayer2RGBA(in, out, width, height);
}

void Threshold(const cv::Mat&, const cv::Mat&, cv::Mat, int, int) {}

void MoveImage(cv::Mat src, cv::Mat& dst, int dx, int dy) {
    const int w = src.cols, h = src.rows;
    if (dst.empty() || dst.cols < w || dst.rows < h || src.type() != CV_8UC1 || dst.type() != CV_8UC1) return;
    for (int y = 0; y < h; ++y) {
        uchar* d = dst.ptr<uchar>(y);
        const int sy = y - dy;
        if (sy < 0 || sy >= h) {
            memset(d, 0, size_t(w));
            continue;
        }
        const uchar* s = src.ptr<uchar>(sy);
        for (int x = 0; x < w; ++x) {
            const int sx = x - dx;
            d[x] = (sx >= 0 && sx < w) ? s[sx] : 0;
        }
    }
}

void TransformImage(cv::Mat src, cv::Mat& dst, cv::Point shift, cv::Point centre, double angle) {
    const cv::Mat copy = src.clone();
    const int b = int(1.414 * std::max(copy.cols, copy.rows));
    const int padX = std::max(0, (b - copy.cols) / 2);
    const int padY = std::max(0, (b - copy.rows) / 2);
    cv::Mat padded;
    cv::copyMakeBorder(copy, padded, padY, padY, padX, padX, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat moved(padded.size(), padded.type());
    MoveImage(padded, moved, shift.x, shift.y);
    const cv::Mat rot =
        cv::getRotationMatrix2D(cv::Point2f(float(centre.x + padX), float(centre.y + padY)), angle, 1.0);
    cv::Mat rotated;
    cv::warpAffine(moved, rotated, rot, padded.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    rotated(cv::Rect(padX, padY, copy.cols, copy.rows)).copyTo(dst);
}
