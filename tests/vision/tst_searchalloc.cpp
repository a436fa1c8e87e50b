// The positioning search takes no memory once its buffers are sized: every allocation of the C
// library (malloc, calloc, realloc, the aligned ones, and so new) made on this thread while
// counting is on is counted.
#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <atomic>
#include <cstdlib>

#include "platform/vision/findshape.h"
#include "scenes.h"

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
}

namespace {
thread_local bool tCounting = false;
std::atomic<long> gAllocations{0};

inline void note() {
    if (tCounting) ++gAllocations;
}

// Allocations made by f on this thread.
template <typename F>
long allocationsOf(F f) {
    gAllocations = 0;
    tCounting = true;
    f();
    tCounting = false;
    return gAllocations;
}
}  // namespace

extern "C" {
void* malloc(size_t n) {
    note();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    note();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    note();
    return __libc_realloc(p, n);
}
void* memalign(size_t align, size_t n) {
    note();
    return __libc_memalign(align, n);
}
void* aligned_alloc(size_t align, size_t n) {
    note();
    return __libc_memalign(align, n);
}
int posix_memalign(void** out, size_t align, size_t n) {
    note();
    void* p = __libc_memalign(align, n);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}

class TestSearchAlloc : public QObject {
    Q_OBJECT
private slots:
    void countingWorks();
    void searchAllocatesNothing_data();
    void searchAllocatesNothing();
};

void TestSearchAlloc::countingWorks() {
    QVERIFY(allocationsOf([] { cv::Mat m(100, 100, CV_8U); }) > 0);
    QCOMPARE(allocationsOf([] {}), 0L);
}

void TestSearchAlloc::searchAllocatesNothing_data() {
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("phi");
    QTest::newRow("shift only") << 0 << 0.0;
    QTest::newRow("range 15") << 15 << 9.0;
    QTest::newRow("half turn") << 180 << 172.0;
}

void TestSearchAlloc::searchAllocatesNothing() {
    QFETCH(int, range);
    QFETCH(double, phi);
    // One thread: OpenCV's pool takes a little memory to hand out work to its threads.
    const int before = cv::getNumThreads();
    cv::setNumThreads(1);
    const cv::Size frame(640, 480);
    const cv::Point2d centre(320, 240);
    const cv::Rect box(240, 180, 160, 120);
    const cv::Mat master = scenes::scene(frame, centre, 65, scenes::Pose());
    FindShape fs;
    QVERIFY(fs.CreateShape(master(box).clone(), 0.0, 0, range, 320, 240, false, 255,
                           cv::Mat(box.size(), CV_8U, cv::Scalar(255)), 10, 0));
    scenes::Look look;
    look.noise = 3;
    const cv::Mat a = scenes::scene(frame, centre, 65, {30, -20, phi}, look, scenes::foreign(frame, 3));
    const cv::Mat b = scenes::scene(frame, centre, 65, {-45, 12, -phi / 2}, look, scenes::foreign(frame, 4));
    const cv::Rect search(100, 80, 440, 320);
    FindShape::Result r;
    QVERIFY(fs.Locate(a(search), &r));  // sizes the buffers for this search size
    // Later searches of that size, of any content, take nothing: found, not found, another frame.
    const cv::Mat blank(frame, CV_8U, cv::Scalar(90));
    bool found = false, foundB = false, foundBlank = true;
    const long n = allocationsOf([&] {
        found = fs.Locate(a(search), &r);
        foundB = fs.Locate(b(search), &r);
        foundBlank = fs.Locate(blank(search), &r);
    });
    cv::setNumThreads(before);
    QVERIFY(found && foundB && !foundBlank);
    QCOMPARE(n, 0L);
}

QTEST_APPLESS_MAIN(TestSearchAlloc)
#include "tst_searchalloc.moc"
