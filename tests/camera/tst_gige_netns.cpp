// GigE address repair on real sockets, run by gige-netns.sh inside network namespaces that it makes:
// this program sits in a namespace with lo and app0 (192.0.2.1/24); a fake camera (gige-camera-sim)
// answers on the other end of the veth pair, in a namespace of its own. Every packet stays there.
// Started any other way, every case skips: the sockets refuse to work in the machine's own namespace.
#include <QtTest>

#include "camera/arping.h"
#include "camera/cameraip.h"
#include "camera/gevdiscovery.h"
#include "camera/gevforceip.h"
#include "camera/gigeenv.h"
#include "platform/gige/netguard.h"
#include "platform/system/timing.h"
#include "gigetestutil.h"
#include "programdir.h"

namespace {
const uint32_t kApp = ip("192.0.2.1");

NetInterface app0() {
    std::vector<NetInterface> list;
    SystemInterfaceSource().list(&list);
    for (const NetInterface& n : list)
        if (n.name == "app0") return n;
    return NetInterface();
}

// The cameras that answer one discovery from app0.
QList<gvcp_discovery_ack_s> discover() {
    CGevDiscovery d("F622", kApp, false);
    d.SendDiscovery();
    QThread::msleep(300);
    gvcp_discovery_ack_s list[CGevDiscovery::kMaxDevices];
    const int n = d.GetDiscoveryList(list);
    QList<gvcp_discovery_ack_s> out;
    for (int i = 0; i < n; ++i) out.append(list[i]);
    return out;
}
}  // namespace

class TestGigeNetns : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ProgramDir> dir_;
    QList<int> randoms_;

private slots:
    void initTestCase() {
        QString why;
        if (qEnvironmentVariableIsEmpty("MONITOR_HOST_NETNS"))
            QSKIP("real-socket cases run only through gige-netns.sh, inside namespaces it makes");
        QVERIFY2(realNetworkAllowed(&why), qPrintable(why));
    }
    void init() {
        dir_ = std::make_unique<ProgramDir>();
        setTimeOverride("gige.recvTimeout", 50);
        setTimeOverride("gige.discoveryWait", 300);
        setTimeOverride("gige.arpWait", 300);
        // The real surroundings of the panel: this namespace's interfaces, sockets and ARP.
        resetGigeEnv();
        gigeEnv().interfaces = std::make_shared<SystemInterfaceSource>();
        randoms_.clear();
    }
    void cleanup() {
        resetGigeEnv();
        dir_.reset();
    }

    void onlyLoopback() { QCOMPARE(RepairAllCameraIP(), -1); }

    void wrongSubnetCameraMoved() {
        const auto before = discover();
        QCOMPARE(before.size(), 1);
        QCOMPARE(ipText(ackIp(before[0])), QString("198.51.100.7"));
        QCOMPARE(RepairAllCameraIP(), 1);
        const auto after = discover();
        QCOMPARE(after.size(), 1);
        const uint32_t moved = ackIp(after[0]);
        QCOMPARE(moved & 0xFFFFFF00u, kApp & 0xFFFFFF00u);
        QVERIFY(moved != kApp);
        QCOMPARE(ackMask(after[0]), ip("255.255.255.0"));
        // The camera's namespace took the address: its kernel now answers ARP for it.
        const NetInterface itf = app0();
        QCOMPARE(arpping(moved, kApp, itf.mac, "app0"), 0);
    }

    void rightSubnetCameraUntouched() {
        QCOMPARE(RepairAllCameraIP(), 0);
        const auto after = discover();
        QCOMPARE(after.size(), 1);
        QCOMPARE(ipText(ackIp(after[0])), QString("192.0.2.50"));
    }

    // One force-IP exchange with broadcast answers, then discovery sees the new address.
    void forceIpExchange() {
        const auto found = discover();
        QCOMPARE(found.size(), 1);
        CGevForceIp f(kApp);
        QCOMPARE(f.GevSetForceIpCustom(found[0].mac, ip("192.0.2.51"), ip("255.255.255.0"), 0, 0, 1, true),
                 1);
        const auto after = discover();
        QCOMPARE(after.size(), 1);
        QCOMPARE(ipText(ackIp(after[0])), QString("192.0.2.51"));
    }

    // The camera's namespace also holds 192.0.2.77: the first candidate is answered by ARP and
    // passed over; the second, free, is given to the camera.
    void inUseCandidatePassedOver() {
        const NetInterface itf = app0();
        QCOMPARE(arpping(ip("192.0.2.77"), kApp, itf.mac, "app0"), 0);
        QCOMPARE(arpping(ip("192.0.2.88"), kApp, itf.mac, "app0"), 1);
        QStringList probed;
        const ArpProber real = gigeEnv().arpProbe;
        gigeEnv().arpProbe = [&](uint32_t target, uint32_t own, const uint8_t* mac, const char* name) {
            probed << ipText(target);
            return real(target, own, mac, name);
        };
        randoms_ = {0, 0, 0, 67, 0, 0, 0, 78};  // candidates 192.0.2.77, then 192.0.2.88
        gigeEnv().seedRandom = [](unsigned) {};
        gigeEnv().random = [this] { return randoms_.isEmpty() ? 0 : randoms_.takeFirst(); };
        QCOMPARE(RepairAllCameraIP(), 1);
        QCOMPARE(probed, (QStringList{"192.0.2.77", "192.0.2.88"}));
        const auto after = discover();
        QCOMPARE(after.size(), 1);
        QCOMPARE(ipText(ackIp(after[0])), QString("192.0.2.88"));
    }
};

QTEST_GUILESS_MAIN(TestGigeNetns)
#include "tst_gige_netns.moc"
