// The IO board protocol without a port: command frames, reply framing and the pass schedule.
#include <QtTest>

#include "app/globals.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "io/iopollengine.h"
#include "io/linkrecords.h"
#include "platform/system/sysclock.h"

namespace {
QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list) b.append(char(v));
    return b;
}

// A reply as the board frames it (sum written out here, not taken from the code under test).
QByteArray reply(int code, int d0, int d1, int d2, int d3) {
    const int sum = (0x5F + code + d0 + d1 + d2 + d3) & 0xFF;
    return bytes({0x5F, code, d0, d1, d2, d3, sum, 0xF5});
}

IOPollEngine::Sends pass(IOPollEngine& e, const QByteArray& in, int outWord) {
    return e.talk(reinterpret_cast<const unsigned char*>(in.constData()), in.size(), outWord);
}

int dataIn() {
    QMutexLocker lock(pMutexIO);
    return gDataIn;
}
}  // namespace

class TestIOLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void commandFrames_data();
    void commandFrames();
    void checksum();
    void framing_data();
    void framing();
    void receiveBufferOverflowDropsTail();
    void passSchedule();
    void analogueRepliesFillBothHalves();
    void surplusAnalogueRepliesAreDropped();
    void linkRecordsLimited_data();
    void linkRecordsLimited();
};

void TestIOLink::init() {
    SysClock::reset();
    resetAppGlobals();
    resetIOGlobals();
}

void TestIOLink::commandFrames_data() {
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("set outputs 0 and 3") << 1 << 9 << bytes({0x5F, 0x01, 0x09, 0x00, 0x69, 0xF5});
    QTest::newRow("poll") << 2 << 0 << bytes({0x5F, 0x02, 0x00, 0x00, 0x61, 0xF5});
    QTest::newRow("output 8") << 1 << 0x100 << bytes({0x5F, 0x01, 0x00, 0x01, 0x61, 0xF5});
    QTest::newRow("analogue high") << 4 << 0 << bytes({0x5F, 0x04, 0x00, 0x00, 0x63, 0xF5});
    QTest::newRow("only low 16 bits and low code byte")
        << 0x101 << 0x12345 << bytes({0x5F, 0x01, 0x45, 0x23, 0xC8, 0xF5});
    QTest::newRow("sum wraps") << 0xFF << 0xFFFF << bytes({0x5F, 0xFF, 0xFF, 0xFF, 0x5C, 0xF5});
}

void TestIOLink::commandFrames() {
    QFETCH(int, cmd);
    QFETCH(int, value);
    QFETCH(QByteArray, frame);
    unsigned char f[6];
    buildCommand(f, cmd, value);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(f), 6).toHex(' '), frame.toHex(' '));
}

void TestIOLink::checksum() {
    const unsigned char d[] = {0x5F, 0x02, 0x00, 0x00, 0xFF, 0xFF};
    QCOMPARE(int(calcLRC(d, 0)), 0);
    QCOMPARE(int(calcLRC(d, 4)), 0x61);
    QCOMPARE(int(calcLRC(d, 6)), (0x61 + 0xFF + 0xFF) & 0xFF);
}

// Each row: the bytes arriving in successive passes, the output word; then the input word published,
// whether the last pass sent the output word before its poll, and the bytes left waiting.
void TestIOLink::framing_data() {
    QTest::addColumn<QList<QByteArray>>("passes");
    QTest::addColumn<int>("outWord");
    QTest::addColumn<int>("expectIn");
    QTest::addColumn<bool>("expectSendOut");
    QTest::addColumn<int>("expectHeld");

    const QByteArray poll = reply(2, 0x05, 0x02, 0x01, 0x00);  // inputs 0, 2, 9; echo output 0
    QTest::newRow("one poll reply") << QList<QByteArray>{poll} << 1 << 0x205 << false << 0;
    QTest::newRow("split 5 + 3") << QList<QByteArray>{poll.left(5), poll.mid(5)} << 1 << 0x205 << false << 0;
    QTest::newRow("first half only") << QList<QByteArray>{poll.left(5)} << 1 << 0 << false << 5;
    QTest::newRow("stray 00 5F 5F before a frame")
        << QList<QByteArray>{bytes({0x00, 0x5F, 0x5F}) + poll} << 1 << 0x205 << false << 0;
    QByteArray badSum = poll;
    badSum[6] = char(badSum[6] + 1);
    QTest::newRow("bad sum is not handled") << QList<QByteArray>{badSum} << 1 << 0 << false << 7;
    QByteArray badEnd = poll;
    badEnd[7] = char(0xF4);
    QTest::newRow("bad end byte is not handled") << QList<QByteArray>{badEnd} << 1 << 0 << false << 7;
    // A frame whose sum fails, with a good frame starting inside it.
    QByteArray nested = reply(2, 0x5F, 0x00, 0x00, 0x00).left(2) + poll;
    QTest::newRow("frame inside a broken one") << QList<QByteArray>{nested} << 1 << 0x205 << false << 0;
    QTest::newRow("unknown code 7 skipped whole")
        << QList<QByteArray>{reply(7, 0x5F, 0x02, 0x03, 0x04) + poll.left(3)} << 1 << 0 << false << 3;
    QTest::newRow("set-outputs acknowledgement ignored")
        << QList<QByteArray>{reply(1, 1, 0, 0, 0)} << 1 << 0 << false << 0;
    QTest::newRow("bits 2-7 of d1 and d3 ignored")
        << QList<QByteArray>{reply(2, 0x01, 0xFC, 0x01, 0xFC)} << 1 << 0x001 << false << 0;
    QTest::newRow("echo differs: outputs first") << QList<QByteArray>{poll} << 3 << 0x205 << true << 0;
    QTest::newRow("echo differs in bit 8")
        << QList<QByteArray>{reply(2, 0, 0, 0x01, 0x00)} << 0x101 << 0 << true << 0;
    QTest::newRow("echo compared on all 32 bits")
        << QList<QByteArray>{reply(2, 0, 0, 0x01, 0x00)} << (0x1001) << 0 << true << 0;
    QTest::newRow("two replies, the last input word wins")
        << QList<QByteArray>{reply(2, 0x01, 0, 0, 0) + reply(2, 0x02, 0, 0, 0)} << 0 << 0x002 << false << 0;
}

void TestIOLink::framing() {
    QFETCH(QList<QByteArray>, passes);
    QFETCH(int, outWord);
    QFETCH(int, expectIn);
    QFETCH(bool, expectSendOut);
    QFETCH(int, expectHeld);

    IOPollEngine e;
    IOPollEngine::Sends last;
    for (const QByteArray& p : passes) last = pass(e, p, outWord);
    QCOMPARE(dataIn(), expectIn);
    QCOMPARE(e.held(), expectHeld);
    if (expectSendOut) {
        QCOMPARE(last.count, 2);
        QCOMPARE(last.code[0], int(kCmdSetOutputs));
        QCOMPARE(last.value[0], outWord);
        QCOMPARE(last.code[1], int(kCmdPoll));
    } else {
        QCOMPARE(last.count, 1);
        QCOMPARE(last.code[0], int(kCmdPoll));
        QCOMPARE(last.value[0], 0);
    }
}

void TestIOLink::receiveBufferOverflowDropsTail() {
    IOPollEngine e;
    // 1020 bytes of noise that hold 7 bytes back after parsing, then more than fits.
    pass(e, QByteArray(1020, char(0x11)), 0);
    QCOMPARE(e.held(), 7);
    // 1017 free: a frame at the start of the next read is parsed, the part past the buffer is lost.
    const QByteArray big = reply(2, 0x03, 0, 0, 0) + QByteArray(1009, char(0x22)) + reply(2, 0x08, 0, 0, 0);
    pass(e, big, 0);
    QCOMPARE(dataIn(), 0x003);
    QVERIFY(e.held() < 8);
}

void TestIOLink::passSchedule() {
    IOPollEngine e;
    QList<int> codes;
    for (int p = 1; p <= 421; ++p) {
        const IOPollEngine::Sends s = pass(e, QByteArray(), 0);
        QCOMPARE(s.count, 1);
        codes.append(s.code[0]);
        if (p == 200) QCOMPARE(e.analogIndex(), 0);
        if (p == 210) {
            QCOMPARE(e.analogIndex(), 8);
            QCOMPARE(e.passCounter(), 0);
        }
    }
    QCOMPARE(codes[198], 2);  // pass 199
    QCOMPARE(codes[199], 3);  // pass 200
    QCOMPARE(codes[200], 2);
    QCOMPARE(codes[209], 4);  // pass 210
    QCOMPARE(codes[210], 2);  // pass 211
    QCOMPARE(codes[409], 3);  // the next round
    QCOMPARE(codes[419], 4);
    QCOMPARE(codes.count(2), 421 - 4);
}

void TestIOLink::analogueRepliesFillBothHalves() {
    IOPollEngine e;
    for (int p = 1; p < 200; ++p) pass(e, QByteArray(), 0);
    pass(e, QByteArray(), 0);  // pass 200 asks for channels 0..7
    QByteArray low;
    for (int c = 0; c < 8; ++c) low += reply(3, c, 0, 0, c == 7 ? 0x80 : 0);
    pass(e, low, 0);
    for (int p = 202; p <= 210; ++p) pass(e, QByteArray(), 0);  // pass 210 asks for 8..15
    QByteArray high;
    for (int c = 8; c < 16; ++c) high += reply(4, 0x34, 0x12, c, 0);
    pass(e, high, 0);
    for (int c = 0; c < 7; ++c) QCOMPARE(gFTemp[c].load(), c);
    QCOMPARE(quint32(gFTemp[7].load()), 0x80000007u);  // the raw 32 bits, little-endian
    for (int c = 8; c < 16; ++c) QCOMPARE(gFTemp[c].load(), 0x1234 | c << 16);
    QCOMPARE(e.analogIndex(), 16);
}

void TestIOLink::surplusAnalogueRepliesAreDropped() {
    IOPollEngine e;
    for (int p = 1; p <= 210; ++p) pass(e, QByteArray(), 0);
    QByteArray many;
    for (int k = 0; k < 12; ++k) many += reply(4, k, 0, 0, 0);
    pass(e, many, 0);
    QCOMPARE(e.analogIndex(), 16);
    for (int c = 8; c < 16; ++c) QCOMPARE(gFTemp[c].load(), c - 8);
    QCOMPARE(gFTemp[0].load(), 0);
}

QTEST_GUILESS_MAIN(TestIOLink)
#include "tst_iolink.moc"

// Looks at the link state ("<second>:L" lost, "<second>:R" answering) on the test clock; the records
// written ("<second>:L<n>", n the changes that got no record of their own).
void TestIOLink::linkRecordsLimited_data() {
    QTest::addColumn<QString>("looks");
    QTest::addColumn<QString>("records");
    QTest::newRow("each change once") << "0:L 200:R"
                                      << "0:L0 200:R0";
    QTest::newRow("no change, no record") << "0:R 5:R"
                                          << "";
    QTest::newRow("back to the state written: counted for the next record") << "0:L 1:R 2:L 3:R 30:R 61:L"
                                                                            << "0:L0 1:R0 61:L2";
    QTest::newRow("the state it ends in, once the minute is over") << "0:L 1:R 2:L 30:L 59:L 60:L 61:R"
                                                                   << "0:L0 1:R0 60:L0 61:R0";
    QStringList flap;
    for (int t = 0; t < 180; ++t) flap << QStringLiteral("%1:%2").arg(t).arg(t % 2 ? "R" : "L");
    QTest::newRow("a board answering every other second, three minutes")
        << flap.join(' ') << "0:L0 1:R0 60:L58 61:R0 120:L58 121:R0";
    QTest::newRow("clock set back") << "100:L 101:R 102:L 50:L"
                                    << "100:L0 101:R0 50:L0";
}

void TestIOLink::linkRecordsLimited() {
    QFETCH(QString, looks);
    QFETCH(QString, records);
    const QDateTime base(QDate(2026, 3, 1), QTime(8, 0));
    LinkRecordLimiter limiter;
    QStringList written;
    for (const QString& look : looks.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = look.split(':');
        const int second = parts.at(0).toInt();
        const bool lost = parts.at(1) == "L";
        SysClock::setFixed(base.addSecs(second));
        int unrecorded = -1;
        if (limiter.update(lost, &unrecorded))
            written << QStringLiteral("%1:%2%3").arg(second).arg(lost ? "L" : "R").arg(unrecorded);
        // A change waits while the records tell another state than the link's.
        const bool told = !written.isEmpty() && written.last().contains('L');
        QCOMPARE(limiter.waiting(), lost != told);
    }
    SysClock::reset();
    QCOMPARE(written.join(' '), records);
}
