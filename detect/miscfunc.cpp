#include "miscfunc.h"

#include <algorithm>
#include <climits>
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
    // Per row: the columns whose source lies left of the image, the copied span, those right of it.
    const int from = std::clamp(dx, 0, w);    // first column with a source pixel
    const int to = std::clamp(w + dx, 0, w);  // one past the last
    for (int y = 0; y < h; ++y) {
        uchar* d = dst.ptr<uchar>(y);
        const int sy = y - dy;
        if (sy < 0 || sy >= h || from >= to) {
            memset(d, 0, size_t(w));
            continue;
        }
        const uchar* s = src.ptr<uchar>(sy);
        memset(d, 0, size_t(from));
        memmove(d + from, s + (from - dx), size_t(to - from));
        memset(d + to, 0, size_t(w - to));
    }
}

namespace {
// The forward matrix of TransformImage: padding src by (b - size) / 2 on each side (b = 1.414 x the
// larger side), moving the padded image by `shift`, rotating it about centre + pad and cutting the
// padding off again. All offsets but the rotation are whole pixels and everything outside src is
// 0, so it is one affine map straight from src: a source point u lands on A(u + shift + pad) - pad.
cv::Mat transformMatrix(cv::Size size, cv::Point shift, cv::Point centre, double angle) {
    const int b = int(1.414 * std::max(size.width, size.height));
    const int padX = std::max(0, (b - size.width) / 2);
    const int padY = std::max(0, (b - size.height) / 2);
    cv::Mat m =
        cv::getRotationMatrix2D(cv::Point2f(float(centre.x + padX), float(centre.y + padY)), angle, 1.0);
    const double tx = shift.x + padX, ty = shift.y + padY;
    m.at<double>(0, 2) += m.at<double>(0, 0) * tx + m.at<double>(0, 1) * ty - padX;
    m.at<double>(1, 2) += m.at<double>(1, 0) * tx + m.at<double>(1, 1) * ty - padY;
    return m;
}
}  // namespace

void TransformImage(cv::Mat src, cv::Mat& dst, cv::Point shift, cv::Point centre, double angle) {
    const cv::Mat m = transformMatrix(src.size(), shift, centre, angle);
    const cv::Mat source = (src.data == dst.data) ? src.clone() : src;
    cv::warpAffine(source, dst, m, src.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
}

void TransformImagePart(const cv::Mat& src, cv::Mat& dst, cv::Point shift, cv::Point centre, double angle,
                        cv::Rect part) {
    part &= cv::Rect(0, 0, src.cols, src.rows);
    if (part.empty() || src.type() != CV_8UC1 || dst.type() != CV_8UC1 || dst.size() != src.size() ||
        dst.data == src.data)
        return;
    // cv::warpAffine inverts the forward matrix like this, then, per destination pixel (x, y), takes
    // the source position in 1/1024 pixels as round(M0 x 1024) + round((M1 y + M2) 1024) (and the
    // same for the row), cuts it to 1/32 pixel and interpolates with cv::remap on fixed-point maps.
    // The same maps made here with the whole image's coordinates give the very same pixels.
    const cv::Mat f = transformMatrix(src.size(), shift, centre, angle);
    double M[6];
    for (int i = 0; i < 6; ++i) M[i] = f.at<double>(i / 3, i % 3);
    double D = M[0] * M[4] - M[1] * M[3];
    D = D != 0 ? 1. / D : 0;
    const double a11 = M[4] * D, a22 = M[0] * D;
    M[0] = a11;
    M[1] *= -D;
    M[3] *= -D;
    M[4] = a22;
    const double b1 = -M[0] * M[2] - M[1] * M[5];
    const double b2 = -M[3] * M[2] - M[4] * M[5];
    M[2] = b1;
    M[5] = b2;

    constexpr int kAbBits = 10, kInterBits = 5, kTab = 1 << kInterBits, kAbScale = 1 << kAbBits;
    constexpr int kRound = kAbScale / kTab / 2;
    constexpr int kTileH = 64, kTileW = 256;  // maps on the stack (96 KB), one cv::remap call per tile
    short xy[kTileH * kTileW * 2];
    ushort alpha[kTileH * kTileW];
    int ad[kTileW], bd[kTileW];
    for (int ty = part.y; ty < part.y + part.height; ty += kTileH) {
        const int th = std::min(kTileH, part.y + part.height - ty);
        for (int tx = part.x; tx < part.x + part.width; tx += kTileW) {
            const int tw = std::min(kTileW, part.x + part.width - tx);
            for (int i = 0; i < tw; ++i) {
                ad[i] = cv::saturate_cast<int>(M[0] * (tx + i) * kAbScale);
                bd[i] = cv::saturate_cast<int>(M[3] * (tx + i) * kAbScale);
            }
            // Source positions grow or shrink steadily along rows and columns, so the tile's corners
            // bound them; inside the range of short (always, but for huge shifts) no clamping is needed.
            auto rowX = [&](int r) {
                return cv::saturate_cast<int>((M[1] * (ty + r) + M[2]) * kAbScale) + kRound;
            };
            auto rowY = [&](int r) {
                return cv::saturate_cast<int>((M[4] * (ty + r) + M[5]) * kAbScale) + kRound;
            };
            bool inShort = true;
            for (int r : {0, th - 1})
                for (int i : {0, tw - 1}) {
                    const int X = (rowX(r) + ad[i]) >> kAbBits, Y = (rowY(r) + bd[i]) >> kAbBits;
                    inShort = inShort && X >= SHRT_MIN && X <= SHRT_MAX && Y >= SHRT_MIN && Y <= SHRT_MAX;
                }
            for (int r = 0; r < th; ++r) {
                const int X0 = rowX(r), Y0 = rowY(r);
                short* o = xy + size_t(r) * size_t(tw) * 2;
                ushort* a = alpha + size_t(r) * size_t(tw);
                if (inShort) {
                    for (int i = 0; i < tw; ++i) {
                        const int X = (X0 + ad[i]) >> (kAbBits - kInterBits);
                        const int Y = (Y0 + bd[i]) >> (kAbBits - kInterBits);
                        o[2 * i] = short(X >> kInterBits);
                        o[2 * i + 1] = short(Y >> kInterBits);
                        a[i] = ushort((Y & (kTab - 1)) * kTab + (X & (kTab - 1)));
                    }
                    continue;
                }
                for (int i = 0; i < tw; ++i) {
                    const int X = (X0 + ad[i]) >> (kAbBits - kInterBits);
                    const int Y = (Y0 + bd[i]) >> (kAbBits - kInterBits);
                    o[2 * i] = cv::saturate_cast<short>(X >> kInterBits);
                    o[2 * i + 1] = cv::saturate_cast<short>(Y >> kInterBits);
                    a[i] = ushort((Y & (kTab - 1)) * kTab + (X & (kTab - 1)));
                }
            }
            cv::Mat out = dst(cv::Rect(tx, ty, tw, th));
            cv::remap(src, out, cv::Mat(th, tw, CV_16SC2, xy), cv::Mat(th, tw, CV_16UC1, alpha),
                      cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
        }
    }
}

void MoveImagePart(const cv::Mat& src, cv::Mat& dst, int dx, int dy, cv::Rect part) {
    part &= cv::Rect(0, 0, src.cols, src.rows);
    if (part.empty() || src.type() != CV_8UC1 || dst.type() != CV_8UC1 || dst.cols < src.cols ||
        dst.rows < src.rows || dst.data == src.data)
        return;
    // As MoveImage, restricted to the columns and rows of the part.
    const int x0 = part.x, x1 = part.x + part.width;
    const int from = std::clamp(dx, x0, x1), to = std::clamp(src.cols + dx, from, x1);
    for (int y = part.y; y < part.y + part.height; ++y) {
        uchar* d = dst.ptr<uchar>(y);
        const int sy = y - dy;
        if (sy < 0 || sy >= src.rows || from >= to) {
            memset(d + x0, 0, size_t(x1 - x0));
            continue;
        }
        const uchar* s = src.ptr<uchar>(sy);
        memset(d + x0, 0, size_t(from - x0));
        memcpy(d + from, s + (from - dx), size_t(to - from));
        memset(d + to, 0, size_t(x1 - to));
    }
}
