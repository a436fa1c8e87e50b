#pragma once
// Image helpers: conversions between the camera formats (8-bit grey, 24-bit and 32-bit colour) and the
// grey or hue images the recogniser works on, and the shift and rotation of positioning.
// Buffers are row-major without gaps. 32-bit pixels: bytes 0, 1, 2 are the colour channels (byte 0
// weighted as red by the grey table), byte 3 is 0. Stateless; safe on any thread.
#include <array>
#include <opencv2/core.hpp>

typedef unsigned char uchar;

// Grey weights: [c][i] = int(i * 1024 * w[c]), w = 0.299, 0.587, 0.114 for bytes 0, 1, 2.
extern const std::array<std::array<int, 256>, 3> gaRGB2Gray;

void RGB2Gray(uchar* out, int* in, int width, int height);
void RGBA2Gray(uchar* out, int* in, int width, int height);
// Hue on a 0-254 scale; c0 is taken as red, c1 green, c2 blue. Grey and black give 0.
uchar RGB2HueByte(uchar c0, uchar c1, uchar c2);
void RGBA2Hue(uchar* out, int* in, int width, int height);
void Gray2RGBA(uchar* in, int* out, int width, int height);
void Gray2RGB(uchar* in, int* out, int width, int height);
// 24-bit to 32-bit with the byte order reversed: out 0, 1, 2, 3 = in 2, 1, 0 and 0.
void RGB2RGBA(uchar* out, uchar* in, int width, int height);
void ExtractRGBA(uchar* p0, uchar* p1, uchar* p2, uchar* in, int width, int height);
void GenRGBA(uchar* p0, uchar* p1, uchar* p2, uchar* out, int width, int height);
void Gray24To8(uchar* out, uchar* in, int width, int height);
// Bilinear demosaicing: the first row starts with green then the byte-0 colour, the second row with
// the byte-2 colour.
void Bayer2RGBA(const uchar* in, uchar* out, int width, int height);
void BorderBayer2RGBA(const uchar* in, uchar* out, int width, int height);
void Threshold(const cv::Mat& src, const cv::Mat& mask, cv::Mat dst, int low, int high);
// dst(x, y) = src(x - dx, y - dy), 0 where that pixel does not exist. 8-bit; dst at least src's size.
void MoveImage(cv::Mat src, cv::Mat& dst, int dx, int dy);
// Shift by `shift`, then rotate by `angle` degrees (counter-clockwise) about `centre`, on a padded work
// area so the rotated corners are kept; pixels without a source become 0.
void TransformImage(cv::Mat src, cv::Mat& dst, cv::Point shift, cv::Point centre, double angle);
// The pixels that TransformImage writes inside `part`, and only those (bit for bit the same); the rest
// of dst is left as it is. 8-bit; dst of src's size, not sharing its pixels.
void TransformImagePart(const cv::Mat& src, cv::Mat& dst, cv::Point shift, cv::Point centre, double angle,
                        cv::Rect part);
// The pixels that MoveImage writes inside `part`, and only those. 8-bit; dst not sharing src's pixels.
void MoveImagePart(const cv::Mat& src, cv::Mat& dst, int dx, int dy, cv::Rect part);
