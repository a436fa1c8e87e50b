// GigE address repair without sockets: the camera layer's discovery, force-IP, address choice and
// repair talk to fake cameras on an in-memory network, with fixed interface lists, scripted ARP
// answers, random numbers and clock. Also the Hikvision reachability repair over the simulated bus
// with canned ping output, and what the simulated profile does (nothing on the wire).
#include <QtTest>

#include "camera/arping.h"
#include "camera/broadcastsocket.h"
#include "camera/cameraip.h"
#include "camera/checkcamera.h"
#include "camera/ensuredevicereach.h"
#include "camera/gevdiscovery.h"
#include "camera/gevforceip.h"
#include "camera/gigeenv.h"
#include "camtestutil.h"
#include "gigetestutil.h"
#include "memorynetwork.h"
#include "platform/system/commandrunner.h"
#include "platform/system/timing.h"
#include "programdir.h"

using gigesim::CameraState;
using gigesim::FakeGigeCamera;

namespace {
// "name=a.b.c.d/len"
NetInterface netIf(const QString& spec) {
    NetInterface n;
    const QStringList nameAddr = spec.split('=');
    const QStringList addrLen = nameAddr.value(1).split('/');
    n.name = nameAddr[0].toLatin1();
    n.ip = ip(addrLen[0].toLatin1().constData());
    const int bits = addrLen.value(1, "24").toInt();
    n.mask = bits == 0 ? 0 : ~uint32_t(0) << (32 - bits);
    n.mac[0] = 0x02;
    n.mac[5] = uint8_t(n.ip);
    return n;
}

class ListedInterfaces : public InterfaceSource {
public:
    std::vector<NetInterface> items;
    bool readable = true;
    bool list(std::vector<NetInterface>* out) override {
        *out = items;
        return readable;
    }
};

CameraState camera(const char* address, int bits = 24, uint8_t macTail = 1,
                   const char* makerInfo = "F622-SIM") {
    CameraState s;
    s.ip = ip(address);
    s.mask = ~uint32_t(0) << (32 - bits);
    s.mac[5] = macTail;
    s.makerInfo = makerInfo;
    s.serial = "SN" + QByteArray::number(macTail);
    return s;
}

// The GigE surroundings of one test: a program directory, an in-memory network, a fixed interface
// list, scripted ARP answers (free unless told), random numbers from a list (then 0), a clock that
// only moves when told, and sleeps that are recorded (the discovery wait lets the receive threads
// take every answer first).
struct GigeRig {
    ProgramDir dir;
    gigesim::FakeGigeNetwork net;
    std::shared_ptr<ListedInterfaces> interfaces = std::make_shared<ListedInterfaces>();
    QList<int> randoms;
    QList<int> arpAnswers;
    QStringList probes;  // candidate addresses probed, in order
    QList<unsigned> seeds;
    QList<int> sleeps;
    int64_t clock = 1000;

    GigeRig() {
        setTimeOverride("gige.recvTimeout", 2);
        setTimeOverride("gige.threadPeriod", 10);
        setTimeOverride("gige.threadPoll", 2);
        GigeEnv& e = gigeEnv();
        e.openTransport = [this](uint32_t a, uint16_t port) { return net.open(a, port); };
        e.interfaces = interfaces;
        e.arpProbe = [this](uint32_t target, uint32_t, const uint8_t*, const char*) {
            probes.append(ipText(target));
            return arpAnswers.isEmpty() ? 1 : arpAnswers.takeFirst();
        };
        e.monotonicMs = [this] { return clock; };
        e.sleepMs = [this](int ms) {
            sleeps.append(ms);
            if (ms == GigeTimings::current().discoveryWaitMs) QVERIFY(net.settle());
        };
        e.seedRandom = [this](unsigned s) { seeds.append(s); };
        e.random = [this] { return randoms.isEmpty() ? 0 : randoms.takeFirst(); };
    }
    ~GigeRig() { resetGigeEnv(); }

    void addInterface(const QString& spec, int segment = 0) {
        const NetInterface n = netIf(spec);
        interfaces->items.push_back(n);
        net.addInterface(n.ip, segment);
    }
    // Random numbers that make the next candidate on a /24 end in `host` (each byte is r % 245 + 10).
    void drawHost(int host) { randoms << 0 << 0 << 0 << host - 10; }
};

QByteArray hexWithoutId(QByteArray packet) {
    packet[6] = packet[7] = 0;
    return packet.toHex();
}
}  // namespace

class TestGige : public QObject {
    Q_OBJECT
private slots:
    void init() { resetCameraWorld(); }
    void cleanupTestCase() { resetGigeEnv(); }

    void packetsOnTheWire_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("hex");  // request id bytes zeroed
        const QByteArray pad = QByteArray(36, '\0').toHex();
        QTest::newRow("discovery") << "discovery" << QByteArray("4211000200000000");
        QTest::newRow("vendor force-IP") << "custom"
                                         << QByteArray(
                                                "4211f00800380000"
                                                "02005e100001"
                                                "c0000242"
                                                "ffffff00"
                                                "00000000"
                                                "0001") +
                                                pad;
        QTest::newRow("standard force-IP") << "standard"
                                           << QByteArray(
                                                  "4211000400380000"
                                                  "0000"
                                                  "02005e100001"
                                                  "000000000000000000000000"
                                                  "c0000242"
                                                  "000000000000000000000000"
                                                  "ffffff00"
                                                  "000000000000000000000000"
                                                  "c00002fe");
    }
    void packetsOnTheWire() {
        QFETCH(QString, command);
        QFETCH(QByteArray, hex);
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24");
        const CameraState cam = camera("198.51.100.7");
        rig.net.addCamera(cam);
        if (command == "discovery") {
            CGevDiscovery d(nullptr, ip("192.0.2.1"), false);
            QVERIFY(d.SendDiscovery());
            QVERIFY(d.SendDiscovery());
            const auto sent = rig.net.sent();
            QCOMPARE(sent.size(), 2);
            QCOMPARE(hexWithoutId(sent[0].bytes), hex);
            // Each discovery counts its own ids from 1.
            QCOMPARE(sent[0].bytes.mid(6).toHex(), QByteArray("0001"));
            QCOMPARE(sent[1].bytes.mid(6).toHex(), QByteArray("0002"));
            return;
        }
        CGevForceIp f(ip("192.0.2.1"));
        const int r =
            command == "custom"
                ? f.GevSetForceIpCustom(cam.mac, ip("192.0.2.66"), ip("255.255.255.0"), 0, 0, 1, true)
                : f.GevSetForceIp(cam.mac, ip("192.0.2.66"), ip("255.255.255.0"), ip("192.0.2.254"), true);
        QCOMPARE(r, 1);
        const QByteArray first = rig.net.sent().last().bytes;
        QCOMPARE(hexWithoutId(first), hex);
        // One process-wide request id for the force-IP commands, counted up per command.
        QCOMPARE(f.GevSetForceIp(cam.mac, ip("192.0.2.67"), ip("255.255.255.0"), 0, false), 1);
        const QByteArray second = rig.net.sent().last().bytes;
        QCOMPARE(gvcpGet16(reinterpret_cast<const uint8_t*>(second.constData()) + 6),
                 uint16_t(gvcpGet16(reinterpret_cast<const uint8_t*>(first.constData()) + 6) + 1));
    }

    // How a force-IP exchange ends, by the camera's answer. Every receive is followed by a 5 ms pause.
    void forceIpAnswers_data() {
        QTest::addColumn<unsigned>("faults");
        QTest::addColumn<bool>("goodTwin");  // a second, well-behaved camera with the same MAC answers later
        QTest::addColumn<bool>("ack");
        QTest::addColumn<bool>("sendFails");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("sends");
        QTest::addColumn<int>("receives");
        QTest::newRow("acknowledged") << 0u << false << true << false << 1 << 1 << 1;
        QTest::newRow("answered twice")
            << unsigned(gigesim::kAnswerTwice) << false << true << false << 1 << 1 << 1;
        QTest::newRow("failure status")
            << unsigned(gigesim::kBadStatus) << false << true << false << 0 << 1 << 1;
        QTest::newRow("no answer") << unsigned(gigesim::kNoAnswer) << false << true << false << 0 << 4 << 800;
        QTest::newRow("other ack id")
            << unsigned(gigesim::kWrongAckId) << false << true << false << 0 << 4 << 800;
        QTest::newRow("other answer code")
            << unsigned(gigesim::kWrongAnswerCode) << false << true << false << 0 << 4 << 800;
        QTest::newRow("truncated answer")
            << unsigned(gigesim::kTruncate) << false << true << false << 0 << 4 << 800;
        QTest::newRow("other id, then the answer")
            << unsigned(gigesim::kWrongAckId) << true << true << false << 1 << 1 << 2;
        QTest::newRow("send fails") << 0u << false << true << true << 0 << 0 << 0;
        QTest::newRow("no acknowledge wanted") << 0u << false << false << false << 1 << 1 << 0;
    }
    void forceIpAnswers() {
        QFETCH(unsigned, faults);
        QFETCH(bool, goodTwin);
        QFETCH(bool, ack);
        QFETCH(bool, sendFails);
        QFETCH(int, result);
        QFETCH(int, sends);
        QFETCH(int, receives);
        GigeRig rig;
        setTimeOverride("gige.recvTimeout", 0);  // nothing here waits for an answer that is not queued
        rig.addInterface("eth0=192.0.2.1/24");
        const CameraState cam = camera("198.51.100.7");
        rig.net.addCamera(cam)->setFaults(faults);
        if (goodTwin) rig.net.addCamera(cam);
        rig.net.setSendFails(sendFails);
        CGevForceIp f(ip("192.0.2.1"));
        QCOMPARE(f.GevSetForceIpCustom(cam.mac, ip("192.0.2.66"), ip("255.255.255.0"), 0, 0, 1, ack), result);
        QCOMPARE(rig.net.sentCount(0xF008), sends);
        QCOMPARE(rig.net.receives(), receives);
        QCOMPARE(rig.sleeps, QVector<int>(receives, 5).toList());
    }

    // What the device table keeps of one discovery: the filter, repeated and moved cameras, and
    // answers too short to be whole.
    void discoveryTable() {
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24");
        rig.net.addCamera(camera("192.0.2.10", 24, 1));
        rig.net.addCamera(camera("192.0.2.11", 24, 2, "X100-OTHER"));
        rig.net.addCamera(camera("192.0.2.12", 24, 3))->setFaults(gigesim::kAnswerTwice);
        rig.net.addCamera(camera("192.0.2.13", 24, 4))->setFaults(gigesim::kMoveBetweenAnswers);
        FakeGigeCamera* cut = rig.net.addCamera(camera("192.0.2.14", 24, 5));
        cut->setFaults(gigesim::kTruncate);
        cut->setTruncateTo(255);
        FakeGigeCamera* stub = rig.net.addCamera(camera("192.0.2.15", 24, 6));
        stub->setFaults(gigesim::kTruncate);
        stub->setTruncateTo(1);

        CGevDiscovery d("F622", ip("192.0.2.1"), false);
        QVERIFY(d.SendDiscovery());
        QVERIFY(rig.net.settle());
        gvcp_discovery_ack_s list[CGevDiscovery::kMaxDevices];
        const int n = d.GetDiscoveryList(list);
        QStringList seen;
        for (int i = 0; i < n; ++i) seen << QString("%1@%2").arg(list[i].mac[5]).arg(ipText(ackIp(list[i])));
        QCOMPARE(seen, (QStringList{"1@192.0.2.10", "3@192.0.2.12", "4@192.0.2.13", "4@192.0.2.14"}));
        QCOMPARE(ackMask(list[0]), ip("255.255.255.0"));
        QCOMPARE(QByteArray(list[0].serial), QByteArray("SN1"));
        QCOMPARE(QByteArray(list[0].makerInfo), QByteArray("F622-SIM"));

        // Without background threads every discovery starts from an empty table.
        rig.net.setSendFails(true);
        d.SendDiscovery();
        QCOMPARE(d.GetDiscoveryList(list), 0);
    }

    void tableLimitAndExpiry() {
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24");
        CGevDiscovery d(nullptr, ip("192.0.2.1"), false);
        FakeGigeCamera model;
        gvcp_discovery_ack_s ack;
        auto fill = [&](int i) {
            CameraState s = camera("192.0.2.10", 24, uint8_t(i));
            s.mac[4] = uint8_t(i >> 8);
            model.setState(s);
            const QByteArray bytes = model.discoveryAck(1);
            memcpy(&ack, bytes.constData(), sizeof(ack));
        };
        for (int i = 0; i < 260; ++i) {
            fill(i);
            QCOMPARE(d.DeviceListAdd(ack), i < CGevDiscovery::kMaxDevices);
        }
        rig.clock = 2500;
        fill(0);
        QVERIFY(d.DeviceListAdd(ack));  // seen again: time refreshed, no new entry
        std::vector<gvcp_discovery_ack_s> list(CGevDiscovery::kMaxDevices);
        QCOMPARE(d.GetDiscoveryList(list.data()), CGevDiscovery::kMaxDevices);
        QCOMPARE(list[0].mac[5], uint8_t(0));

        // Not seen for more than 3000 ms: invalid. The first camera was seen again at 2500.
        rig.clock = 4001;
        d.DeviceListChk();
        QCOMPARE(d.GetDiscoveryList(list.data()), 1);
        rig.clock = 5500;
        d.DeviceListChk();
        QCOMPARE(d.GetDiscoveryList(list.data()), 1);
        QCOMPARE(list[0].mac[5], uint8_t(0));
        rig.clock = 5501;
        d.DeviceListChk();
        QCOMPARE(d.GetDiscoveryList(list.data()), 0);
    }

    void backgroundThreads() {
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24");
        FakeGigeCamera* cam = rig.net.addCamera(camera("192.0.2.10"));
        gvcp_discovery_ack_s list[CGevDiscovery::kMaxDevices];
        {
            CGevDiscovery d(nullptr, ip("192.0.2.1"), true);
            // The send thread broadcasts on its own; the table fills and is not emptied by it.
            QTRY_VERIFY(cam->received(0x0002) >= 2);
            QTRY_COMPARE(d.GetDiscoveryList(list), 1);
            cam->setFaults(gigesim::kNoAnswer);
            rig.clock += 3001;
            QTRY_COMPARE(d.GetDiscoveryList(list), 0);
        }  // joins its three threads
        const int after = cam->received(0x0002);
        QTest::qWait(50);
        QCOMPARE(cam->received(0x0002), after);
    }

    void interfaceFilter_data() {
        QTest::addColumn<QStringList>("interfaces");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("loopback only") << QStringList{"lo=127.0.0.1/8"} << QStringList{};
        QTest::newRow("reserved addresses")
            << QStringList{"lo=127.0.0.1/8", "m=224.0.0.1/4",     "z=0.1.2.3/8",
                           "b=255.1.2.3/8",  "eth0=192.0.2.1/24", "eth1=198.51.100.1/24"}
            << QStringList{"eth0", "eth1"};
        QStringList many, first32;
        for (int i = 1; i <= 33; ++i) {
            many << QString("usb%1=10.0.%1.1/24").arg(i);
            if (i <= 32) first32 << QString("usb%1").arg(i);
        }
        QTest::newRow("at most 32") << many << first32;
    }
    void interfaceFilter() {
        QFETCH(QStringList, interfaces);
        QFETCH(QStringList, kept);
        GigeRig rig;
        for (const QString& s : interfaces) rig.addInterface(s);
        {
            CIpConfig config;
            QCOMPARE(config.DeviceEnumeInit(), kept.size());
            QStringList names;
            for (int i = 0; i < config.interfaceCount(); ++i) names << config.interfaceAt(i).name;
            QCOMPARE(names, kept);
            QCOMPARE(rig.net.transportsOpened(), kept.size());  // one discovery per kept interface
        }
        if (kept.isEmpty()) {
            QCOMPARE(RepairAllCameraIP(), -1);
            QVERIFY(rig.net.sent().isEmpty());
        }
    }

    void addressValidity_data() {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("device");  // address/len
        QTest::addColumn<bool>("valid");
        QTest::newRow("same subnet") << "192.0.2.1/24"
                                     << "192.0.2.50/24" << true;
        QTest::newRow("interface's own address") << "192.0.2.1/24"
                                                 << "192.0.2.1/24" << false;
        QTest::newRow("other subnet") << "192.0.2.1/24"
                                      << "198.51.100.50/24" << false;
        QTest::newRow("device mask wider") << "192.0.2.1/24"
                                           << "192.0.3.50/16" << false;
    }
    void addressValidity() {
        QFETCH(QString, interface);
        QFETCH(QString, device);
        QFETCH(bool, valid);
        GigeRig rig;
        rig.addInterface("eth0=" + interface);
        const QStringList d = device.split('/');
        rig.net.addCamera(camera(d[0].toLatin1().constData(), d[1].toInt()));
        CIpConfig config;
        QVERIFY(config.Init());
        QCOMPARE(config.RefreshDevList(), 1);
        QCOMPARE(config.IsDevIPValid(0), valid);
        QVERIFY(!config.IsDevIPValid(1));
        QVERIFY(!config.IsDevIPValid(-1));
    }

    // The address choice: random host bits on the interface's subnet, each candidate ARP-probed; only a
    // candidate that nobody answered is forced.
    void addressChoice_data() {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QList<int>>("hosts");  // last byte of each drawn address
        QTest::addColumn<QList<int>>("arp");    // probe results in order (then: free)
        QTest::addColumn<QStringList>("probed");
        QTest::addColumn<QString>("forced");  // empty: nothing forced
        QTest::newRow("first candidate free")
            << "192.0.2.1/24" << QList<int>{50} << QList<int>{} << QStringList{"192.0.2.50"} << "192.0.2.50";
        QTest::newRow("interface's own address drawn again")
            << "192.0.2.20/24" << QList<int>{20, 21} << QList<int>{} << QStringList{"192.0.2.21"}
            << "192.0.2.21";
        QTest::newRow("in use, then free") << "192.0.2.1/24" << QList<int>{50, 51} << QList<int>{0, 1}
                                           << QStringList{"192.0.2.50", "192.0.2.51"} << "192.0.2.51";
        QTest::newRow("no packet socket")
            << "192.0.2.1/24" << QList<int>{50} << QList<int>{-1} << QStringList{"192.0.2.50"} << "";
        QTest::newRow("five in use") << "192.0.2.1/24" << QList<int>{50, 51, 52, 53, 54}
                                     << QList<int>{0, 0, 0, 0, 0}
                                     << QStringList{"192.0.2.50", "192.0.2.51", "192.0.2.52", "192.0.2.53",
                                                    "192.0.2.54"}
                                     << "";
        // /28 at .32: host bits 0 (.32, byte 16) and 15 (.47, byte 15) are the network and broadcast.
        QTest::newRow("no network or broadcast address")
            << "192.0.2.33/28" << QList<int>{16, 15, 42} << QList<int>{} << QStringList{"192.0.2.42"}
            << "192.0.2.42";
        QTest::newRow("/31 has no room")
            << "192.0.2.2/31" << QList<int>{} << QList<int>{} << QStringList{} << "";
        QTest::newRow("/32 has no room")
            << "192.0.2.2/32" << QList<int>{} << QList<int>{} << QStringList{} << "";
    }
    void addressChoice() {
        QFETCH(QString, interface);
        QFETCH(QList<int>, hosts);
        QFETCH(QList<int>, arp);
        QFETCH(QStringList, probed);
        QFETCH(QString, forced);
        GigeRig rig;
        rig.addInterface("eth0=" + interface);
        FakeGigeCamera* cam = rig.net.addCamera(camera("198.51.100.7"));
        for (int h : hosts) rig.drawHost(h);
        rig.arpAnswers = arp;
        rig.clock = 123456;
        CIpConfig config;
        QVERIFY(config.Init());
        QCOMPARE(config.RefreshDevList(), 1);
        QCOMPARE(config.AutoSetIpAddr(0), !forced.isEmpty());
        QCOMPARE(rig.probes, probed);
        QCOMPARE(rig.seeds, QList<unsigned>{123456u});
        if (forced.isEmpty()) {
            QCOMPARE(rig.net.sentCount(0xF008), 0);
            QCOMPARE(ipText(cam->state().ip), QString("198.51.100.7"));
            return;
        }
        const NetInterface itf = netIf("x=" + interface);
        QCOMPARE(ipText(cam->state().ip), forced);
        QCOMPARE(cam->state().mask, itf.mask);
        QCOMPARE(cam->state().gateway, 0u);
        const QByteArray packet = rig.net.sent().last().bytes;
        QCOMPARE(rig.net.sent().last().from, itf.ip);
        QCOMPARE(packet.mid(26, 2).toHex(), QByteArray("0001"));  // option bytes
        QVERIFY(!config.AutoSetIpAddr(1));
    }

    // A discovered camera formatted for display: link speed and state from the two letters after
    // the filter text; text fields that fill their whole room are read without running over.
    void devInfo_data() {
        QTest::addColumn<QByteArray>("makerInfo");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("state");
        QTest::newRow("gigabit, idle") << QByteArray("F622CI") << "1000M"
                                       << "IDLE";
        QTest::newRow("100M, busy") << QByteArray("F622BX") << "100M"
                                    << "BUSY";
        QTest::newRow("other letters") << QByteArray("F622ib") << "10M"
                                       << "BUSY";
        QTest::newRow("filter text alone") << QByteArray("F622") << "10M"
                                           << "BUSY";
    }
    void devInfo() {
        QFETCH(QByteArray, makerInfo);
        QFETCH(QString, speed);
        QFETCH(QString, state);
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24");
        CameraState cam = camera("192.0.2.60", 26, 0xAB, makerInfo.constData());
        cam.gateway = ip("192.0.2.62");
        cam.model = QByteArray(32, 'M');
        cam.serial = "SN-0042";
        cam.userName = "ABCDEFGHIJKLMNOP";  // all 16 bytes, no terminating zero
        rig.net.addCamera(cam);
        CIpConfig config;
        QVERIFY(config.Init());
        QCOMPARE(config.RefreshDevList(), 1);
        GevDevInfo info;
        QVERIFY(config.GetDevInfo(0, &info));
        QCOMPARE(info.ip, QString("192.0.2.60"));
        QCOMPARE(info.mask, QString("255.255.255.192"));
        QCOMPARE(info.gateway, QString("192.0.2.62"));
        QCOMPARE(info.mac, QString("02-00-5E-10-00-AB"));
        QCOMPARE(info.model, QString(32, 'M'));
        QCOMPARE(info.serial, QString("SN-0042"));
        QCOMPARE(info.userName, QString("ABCDEFGHIJKLMNOP"));
        QCOMPARE(info.speed, speed);
        QCOMPARE(info.state, state);
        GevDevInfo untouched;
        untouched.ip = "kept";
        QVERIFY(!config.GetDevInfo(1, &untouched));
        QVERIFY(!config.GetDevInfo(-1, &untouched));
        QCOMPARE(untouched.ip, QString("kept"));
    }

    // The whole repair on two interfaces: who is moved, who is left alone, what is counted.
    void repairAll() {
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24", 0);
        rig.addInterface("eth1=198.51.100.1/24", 1);
        FakeGigeCamera* wrong = rig.net.addCamera(camera("203.0.113.9", 24, 1), 0);
        FakeGigeCamera* right = rig.net.addCamera(camera("192.0.2.60", 24, 2), 0);
        FakeGigeCamera* foreign = rig.net.addCamera(camera("203.0.113.10", 24, 3, "Z900"), 0);
        FakeGigeCamera* sameAsInterface = rig.net.addCamera(camera("198.51.100.1", 24, 4), 1);
        FakeGigeCamera* refuses = rig.net.addCamera(camera("203.0.113.11", 24, 5), 1);
        refuses->setFaults(gigesim::kBadStatus);
        rig.drawHost(70);  // camera 1 -> 192.0.2.70
        rig.drawHost(80);  // camera 4 -> 198.51.100.80
        rig.drawHost(90);  // camera 5 -> refuses
        QCOMPARE(RepairAllCameraIP(), 2);
        QCOMPARE(ipText(wrong->state().ip), QString("192.0.2.70"));
        QCOMPARE(ipText(right->state().ip), QString("192.0.2.60"));
        QCOMPARE(ipText(foreign->state().ip), QString("203.0.113.10"));
        QCOMPARE(ipText(sameAsInterface->state().ip), QString("198.51.100.80"));
        QCOMPARE(ipText(refuses->state().ip), QString("203.0.113.11"));
        QCOMPARE(rig.sleeps.first(), 200);  // the discovery wait
        QCOMPARE(rig.net.sentCount(0x0002), 2);
        QCOMPARE(rig.net.sentCount(0xF008), 3);
    }

    // Two subnets on one cable: a camera reachable through either is left alone, a misplaced one is
    // moved once.
    void twoSubnetsOnOneCable() {
        GigeRig rig;
        rig.addInterface("eth0=192.0.2.1/24", 0);
        rig.addInterface("eth0:1=198.51.100.1/24", 0);
        FakeGigeCamera* reachable = rig.net.addCamera(camera("198.51.100.50", 24, 1));
        FakeGigeCamera* misplaced = rig.net.addCamera(camera("203.0.113.9", 24, 2));
        rig.drawHost(70);
        QCOMPARE(RepairAllCameraIP(), 1);
        QCOMPARE(ipText(reachable->state().ip), QString("198.51.100.50"));
        QCOMPARE(ipText(misplaced->state().ip), QString("192.0.2.70"));
        QCOMPARE(rig.net.sentCount(0xF008), 1);
    }

    void dottedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("bytes");
        QTest::newRow("plain") << "192.0.2.7" << true << "c0000207";
        QTest::newRow("limits") << "0.0.0.255" << true << "000000ff";
        QTest::newRow("too large") << "192.0.2.256" << false << "";
        QTest::newRow("three parts") << "192.0.2" << false << "";
        QTest::newRow("trailing text") << "192.0.2.7x" << false << "";
        QTest::newRow("sign") << "192.0.-2.7" << false << "";
        QTest::newRow("empty part") << "192..2.7" << false << "";
        QTest::newRow("empty") << "" << false << "";
    }
    void dottedText() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, bytes);
        unsigned char b[4] = {};
        QCOMPARE(GetIpFromString(text.toLatin1().constData(), b), ok);
        if (ok) QCOMPARE(QByteArray(reinterpret_cast<char*>(b), 4).toHex(), bytes.toLatin1());
    }

    void arpFrames() {
        const uint8_t mac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
        uint8_t frame[kArpFrameSize];
        buildArpRequest(frame, ip("192.0.2.50"), ip("192.0.2.1"), mac);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(frame), kArpFrameSize).toHex(),
                 QByteArray("ffffffffffff"
                            "020000000001"
                            "0806"
                            "0001"
                            "0800"
                            "06"
                            "04"
                            "0001"
                            "020000000001"
                            "c0000201"
                            "000000000000"
                            "c0000232") +
                     QByteArray(18, '\0').toHex());
        // A reply: "192.0.2.50 is at 02:..:99", to us.
        uint8_t reply[42];
        memcpy(reply, frame, 42);
        memcpy(reply, mac, 6);
        reply[21] = 2;
        const uint8_t other[6] = {0x02, 0, 0, 0, 0, 0x99};
        memcpy(reply + 22, other, 6);
        reply[28 + 3] = 50;  // sender address 192.0.2.50
        memcpy(reply + 32, mac, 6);
        reply[38 + 3] = 1;
        QVERIFY(isArpReplyFrom(reply, 42, ip("192.0.2.50"), mac));
        QVERIFY(!isArpReplyFrom(reply, 41, ip("192.0.2.50"), mac));    // short
        QVERIFY(!isArpReplyFrom(reply, 42, ip("192.0.2.51"), mac));    // someone else
        QVERIFY(!isArpReplyFrom(reply, 42, ip("192.0.2.50"), other));  // to another host
        reply[21] = 1;
        QVERIFY(!isArpReplyFrom(reply, 42, ip("192.0.2.50"), mac));  // a request
    }

    // Free-address search of the Hikvision path: order of the pinged hosts; only ping's status 1 (no
    // reply) frees an address, 0 is an answer (also what the simulated profile's recording gives).
    // The `failing` hosts end with `failure`: 2 ping's own error, 127 no ping on the panel, -1 nothing
    // could run; such a ping proves nothing free and ends the search.
    void chooseFreeAddress_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("free");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QList<int>>("failing");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<int>("found");  // -1: none
        QList<int> up50, oneUp, downFrom254;
        for (int h = 50; h <= 254; ++h) up50 << h;
        for (int h = 1; h <= 254; ++h) oneUp << h;
        for (int h = 254; h >= 1; --h) downFrom254 << h;
        const QList<int> none;
        QTest::newRow("start 50") << 50 << QList<int>{49} << 0 << none << (QList<int>(up50) << 49) << 49;
        QTest::newRow("start 254") << 254 << QList<int>{253} << 0 << none << QList<int>{254, 253} << 253;
        QTest::newRow("start 1, all answer") << 1 << none << 0 << none << oneUp << -1;
        QTest::newRow("start 0, all answer") << 0 << none << 0 << none << oneUp << -1;
        QTest::newRow("start 255, all answer") << 255 << none << 0 << none << downFrom254 << -1;
        QTest::newRow("ping's own error") << 50 << none << 2 << oneUp << QList<int>{50} << -1;
        QTest::newRow("ping missing") << 1 << none << 127 << oneUp << QList<int>{1} << -1;
        QTest::newRow("nothing runs") << 1 << none << -1 << oneUp << QList<int>{1} << -1;
        QTest::newRow("a failure after answers ends the search")
            << 1 << QList<int>{7} << 2 << QList<int>{3} << QList<int>{1, 2, 3} << -1;
    }
    void chooseFreeAddress() {
        QFETCH(int, start);
        QFETCH(QList<int>, free);
        QFETCH(int, failure);
        QFETCH(QList<int>, failing);
        QFETCH(QList<int>, order);
        QFETCH(int, found);
        ProgramDir dir;
        for (int h = 1; h <= 254; ++h) {
            const QString command = QString("ping 192.0.2.%1 ").arg(h);
            if (free.contains(h))
                CommandRunner::instance().queueResult(command, 1, "1 packets transmitted, 0 received");
            else if (failing.contains(h))
                CommandRunner::instance().queueResult(command, failure);
            else
                CommandRunner::instance().queueResult(
                    command, 0, QString("64 bytes from 192.0.2.%1: icmp_seq=1 ttl=64").arg(h).toLatin1());
        }
        unsigned int out = 0;
        QCOMPARE(bChooseNoUseIp(ip("192.0.2.0"), unsigned(start), &out), found >= 0);
        QStringList expected;
        for (int h : order) expected << QString("ping 192.0.2.%1 -w 1").arg(h);
        QCOMPARE(dir.commands(), expected);
        if (found >= 0) QCOMPARE(out, ip("192.0.2.0") + unsigned(found));
    }

    void hikvisionReach_data() {
        QTest::addColumn<QString>("device");  // address/len
        QTest::addColumn<QString>("exportIf");
        QTest::addColumn<QStringList>("interfaces");
        QTest::addColumn<QString>("inject");  // "Function=status"
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("pings");
        QTest::addColumn<QString>("forced");  // "ip mask gateway", empty: none
        QTest::newRow("other subnet")
            << "198.51.100.50/24"
            << "192.0.2.9" << QStringList{"eth0=192.0.2.9/24"} << "" << 0
            << QStringList{"192.0.2.50", "192.0.2.51"} << "192.0.2.51 255.255.255.0 192.0.2.254";
        QTest::newRow("same subnet, accessible")
            << "192.0.2.60/24"
            << "192.0.2.9" << QStringList{"eth0=192.0.2.9/24"} << "" << 0 << QStringList{} << "";
        QTest::newRow("same subnet, held elsewhere")
            << "192.0.2.60/24"
            << "192.0.2.9" << QStringList{"eth0=192.0.2.9/24"} << "MV_CC_IsDeviceAccessible=0" << 1
            << QStringList{} << "";
        QTest::newRow("force fails") << "198.51.100.50/24"
                                     << "192.0.2.9" << QStringList{"eth0=192.0.2.9/24"}
                                     << "MV_GIGE_ForceIpEx=-1" << 1 << QStringList{"192.0.2.50", "192.0.2.51"}
                                     << "";
        QTest::newRow("interface unknown: the device's mask")
            << "198.51.100.50/24"
            << "192.0.2.9" << QStringList{} << "" << 0 << QStringList{"192.0.2.50", "192.0.2.51"}
            << "192.0.2.51 255.255.255.0 192.0.2.254";
        // A /25 at .0: hosts 128 and up lie outside it, 127 is its broadcast address; the gateway is
        // its highest host, not .254 of the /24.
        QTest::newRow("narrow subnet")
            << "198.51.100.200/24"
            << "192.0.2.9" << QStringList{"eth0=192.0.2.9/25"} << "" << 0
            << QStringList{"192.0.2.126", "192.0.2.125"} << "192.0.2.125 255.255.255.128 192.0.2.126";
        // A /26 at .192: only hosts 193 to 254 are tried.
        QTest::newRow("narrow subnet, high quarter")
            << "198.51.100.10/24"
            << "192.0.2.200" << QStringList{"eth0=192.0.2.200/26"} << "" << 0
            << QStringList{"192.0.2.193", "192.0.2.194"} << "192.0.2.194 255.255.255.192 192.0.2.254";
        // Nothing proved free (every ping answered): the camera stays where it is.
        QStringList everyHost;
        for (int h = 50; h <= 254; ++h) everyHost << QString("192.0.2.%1").arg(h);
        for (int h = 49; h >= 1; --h) everyHost << QString("192.0.2.%1").arg(h);
        QTest::newRow("no address shown free")
            << "198.51.100.50/24"
            << "192.0.2.9" << QStringList{"eth0=192.0.2.9/24"} << "" << 1 << everyHost << "";
        QTest::newRow("interface list unreadable")
            << "198.51.100.50/24"
            << "192.0.2.9" << QStringList{"unreadable"} << "" << -1 << QStringList{} << "";
    }
    void hikvisionReach() {
        QFETCH(QString, device);
        QFETCH(QString, exportIf);
        QFETCH(QStringList, interfaces);
        QFETCH(QString, inject);
        QFETCH(int, result);
        QFETCH(QStringList, pings);
        QFETCH(QString, forced);
        GigeRig rig;
        for (const QString& s : interfaces) {
            if (s == "unreadable")
                rig.interfaces->readable = false;
            else
                rig.addInterface(s);
        }
        auto s = spec(simcam::Vendor::Hikvision, "H1");
        const QStringList d = device.split('/');
        s.ip = ip(d[0].toLatin1().constData());
        s.mask = ~uint32_t(0) << (32 - d[1].toInt());
        s.netExport = ip(exportIf.toLatin1().constData());
        simcam::Bus::instance().addCamera(s);
        if (!inject.isEmpty()) {
            const QStringList kv = inject.split('=');
            simcam::Bus::instance().injectStatus(kv[0].toLatin1(), kv[1].toInt());
        }
        // Of two pings the first answers and the second is silent (ping's status 1); any other ping
        // answers on paper (status 0, as the simulated profile records it).
        if (pings.size() == 2) {
            CommandRunner::instance().queueResult("ping " + pings[0] + " ", 0, "icmp_seq=1 ttl=64");
            CommandRunner::instance().queueResult("ping " + pings[1] + " ", 1);
        }
        QCOMPARE(EnsureDeviceReach(), result);
        QStringList expectedPings;
        for (const QString& p : pings) expectedPings << "ping " + p + " -w 1";
        QCOMPARE(rig.dir.commands(), expectedPings);
        const QStringList log = simcam::Bus::instance().log();
        if (result == -1) QVERIFY(log.filter("MV_CC_EnumDevices").isEmpty());
        if (forced.isEmpty()) {
            if (!inject.startsWith("MV_GIGE")) QVERIFY(log.filter("MV_GIGE_ForceIpEx").isEmpty());
            return;
        }
        const QStringList f = forced.split(' ');
        QVERIFY2(log.contains(QString("MV_GIGE_ForceIpEx(H1, %1, %2, %3)")
                                  .arg(ip(f[0].toLatin1().constData()))
                                  .arg(ip(f[1].toLatin1().constData()))
                                  .arg(ip(f[2].toLatin1().constData()))),
                 qPrintable(log.join('\n')));
    }

    // The simulated profile: the installed repair sees no interfaces, so detection neither sends nor
    // waits; the real sockets and the ARP probe refuse to work in this (the machine's own) namespace.
    void simulatedProfileSendsNothing() {
        ProgramDir dir;
        resetGigeEnv();
        int opened = 0;
        const GvcpTransportFactory real = gigeEnv().openTransport;
        gigeEnv().openTransport = [&](uint32_t a, uint16_t p) {
            ++opened;
            return real(a, p);
        };
        installGigeRepair();
        QCOMPARE(RunRepairAllCameraIP(), -1);
        simcam::Bus::instance().addCamera(spec(simcam::Vendor::Galaxy, "G1"));
        CheckCameraID();
        QCOMPARE(gCameraID, int(kCameraGalaxy));
        QCOMPARE(recordedSleeps(), QList<int>{});
        QCOMPARE(opened, 0);

        CBroadcastSocket socket(ip("127.0.0.1"), kGvcpPort);
        QCOMPARE(socket.Init(), 1);
        QVERIFY(!socket.isOpen());
        const char probe[8] = {0x42};
        QCOMPARE(socket.send(probe, 8), -1);
        const uint8_t mac[6] = {};
        QCOMPARE(arpping(ip("127.0.0.2"), ip("127.0.0.1"), mac, "lo"), -1);
        resetGigeEnv();
    }

    // Detection with a Hikvision camera makes the Hikvision reachability pass first.
    void detectionRunsHikvisionReachFirst() {
        ProgramDir dir;
        resetGigeEnv();
        installGigeRepair();
        auto s = spec(simcam::Vendor::Hikvision, "H1");
        s.model = "SIM-GM";
        s.ip = ip("192.0.2.60");
        s.mask = ip("255.255.255.0");
        s.netExport = ip("192.0.2.9");
        simcam::Bus::instance().addCamera(s);
        CheckCameraID();
        QCOMPARE(gCameraID, int(kCameraHikvision));
        const QStringList log = simcam::Bus::instance().log();
        const int reach = log.indexOf("MV_CC_EnumDevices(1)");
        QVERIFY(reach >= 0);
        QVERIFY(reach < log.indexOf("MV_CC_EnumDevices(5)"));
    }
};

QTEST_GUILESS_MAIN(TestGige)
#include "tst_gige.moc"
