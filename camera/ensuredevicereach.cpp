#include "ensuredevicereach.h"

#include <QtDebug>
#include <cstring>
#include <memory>

#include "cameraip.h"
#include "gigeenv.h"
#include "platform/system/commandrunner.h"

int GetNetInfo(ALL_NET_INFO* all) {
    all->count = 0;
    std::vector<NetInterface> list;
    if (!gigeEnv().interfaces || !gigeEnv().interfaces->list(&list)) return -1;
    for (const NetInterface& n : list) {
        if (all->count >= ALL_NET_INFO::kMax) break;
        NET_INFO& rec = all->info[all->count++];
        std::memset(&rec, 0, sizeof(rec));
        std::strncpy(rec.name, n.name.constData(), sizeof(rec.name) - 1);
        rec.ip = n.ip;
        rec.mask = n.mask;
    }
    return 0;
}

bool GetMaskFromIp(unsigned int ip, unsigned int* mask, const ALL_NET_INFO* all) {
    for (int i = 0; i < all->count; ++i) {
        if (all->info[i].ip == ip) {
            *mask = all->info[i].mask;
            return true;
        }
    }
    return false;
}

QByteArray execCommand(const char* command) {
    return RunCommandCapture(QString::fromLatin1(command), kSlowCommandLimitMs).output;
}

namespace {
enum class PingResult { Free, Answered, Unusable };

// ping ends with 1 when no reply came within the deadline and 0 after an answer; 2 is its own error,
// and a missing ping or shell gives 127 or -1. Only a clean "no reply" shows the address is free:
// taking an address nobody checked could move the camera onto another host's.
PingResult pingAddress(const char* address) {
    const CommandResult r =
        RunCommandCapture(QStringLiteral("ping %1 -w 1").arg(QString::fromLatin1(address)));
    if (r.exitCode == 1) return r.output.contains("ttl") ? PingResult::Answered : PingResult::Free;
    if (r.exitCode == 0) return PingResult::Answered;
    return PingResult::Unusable;
}
}  // namespace

bool IsFreeIp(const char* address) {
    return pingAddress(address) == PingResult::Free;
}

bool DoForceIp(MvDeviceInfo* device, unsigned int ip, unsigned int mask, unsigned int gateway) {
    void* handle = nullptr;
    int ret = MV_CC_CreateHandle(&handle, device);
    if (ret != MV_OK) {
        qDebug().noquote() << QString::asprintf("1 MV_CC_CreateHandle fail! nRet [%x]", unsigned(ret));
        return false;
    }
    ret = MV_GIGE_ForceIpEx(handle, ip, mask, gateway);
    const bool forced = ret == MV_OK;
    if (!forced)
        qDebug().noquote() << QString::asprintf("1 MV_GIGE_ForceIpEx fail! nRet [%x]", unsigned(ret));
    ret = MV_CC_DestroyHandle(handle);
    if (ret != MV_OK)
        qDebug().noquote() << QString::asprintf("1 MV_CC_DestroyHandle fail! nRet [%x]", unsigned(ret));
    return forced;
}

namespace {
enum class HostTry { Found, Taken, GiveUp };

HostTry tryHost(unsigned int base, unsigned int h, unsigned int* out, unsigned int netIp,
                unsigned int netMask) {
    const unsigned int address = base + h;
    if (netMask != 0) {
        const unsigned int host = address & ~netMask;
        if ((address & netMask) != (netIp & netMask) || host == 0 || host == ~netMask) return HostTry::Taken;
    }
    char text[16];
    getStrIp(address, text);
    const PingResult ping = pingAddress(text);
    qDebug().noquote() << QString::asprintf("nSetDeviceIp: %s, bFreeIp: %d", text,
                                            ping == PingResult::Free ? 1 : 0);
    if (ping == PingResult::Unusable) {
        // A ping that cannot run here proves no address free: the other hosts are not tried (each
        // would be one more futile command on the thread that runs the machine loop).
        qWarning().noquote() << "free-address search: ping unusable at" << text << "; no address chosen";
        return HostTry::GiveUp;
    }
    if (ping != PingResult::Free) return HostTry::Taken;
    *out = address;
    return HostTry::Found;
}
}  // namespace

bool bChooseNoUseIp(unsigned int base, unsigned int start, unsigned int* out, unsigned int netIp,
                    unsigned int netMask) {
    HostTry t = HostTry::Taken;
    for (unsigned int h = start < 1 ? 1 : start; h <= 254 && t == HostTry::Taken; ++h)
        t = tryHost(base, h, out, netIp, netMask);
    for (unsigned int h = (start > 255 ? 255 : start); h-- > 1 && t == HostTry::Taken;)
        t = tryHost(base, h, out, netIp, netMask);
    return t == HostTry::Found;
}

int EnsureDeviceReach() {
    auto all = std::make_unique<ALL_NET_INFO>();
    if (GetNetInfo(all.get()) != 0) return -1;
    MvDeviceInfoList list;
    std::memset(&list, 0, sizeof(list));
    if (MV_CC_EnumDevices(kMvGigeDevice, &list) != MV_OK || list.deviceNum == 0) return 0;
    const unsigned count = list.deviceNum < kMvMaxDevices ? list.deviceNum : kMvMaxDevices;
    unsigned counted = 0;
    for (unsigned i = 0; i < count; ++i) {
        MvDeviceInfo* dev = list.deviceInfo[i];
        if (!dev) continue;
        const uint32_t ifIp = dev->gige.netExport;
        const uint32_t devIp = dev->gige.currentIp;
        unsigned int mask = 0;
        if (!GetMaskFromIp(ifIp, &mask, all.get())) mask = dev->gige.currentSubnetMask;
        if (((ifIp ^ devIp) & mask) != 0) {
            const unsigned int base = ifIp & 0xFFFFFF00u;
            unsigned int chosen = 0;
            // Only a mask longer than /24 can put part of the /24 outside the interface's subnet.
            const bool narrow = (mask & 0xFFu) != 0;
            // The gateway is host 254 of the /24, or the highest host of a narrower subnet.
            const unsigned int gateway = narrow ? (ifIp & mask) | (~mask - 1u) : base + 254;
            if (bChooseNoUseIp(base, devIp & 0xFFu, &chosen, narrow ? ifIp : 0, narrow ? mask : 0) &&
                DoForceIp(dev, chosen, mask, gateway))
                ++counted;
        } else if (MV_CC_IsDeviceAccessible(dev, kMvAccessExclusive)) {
            ++counted;
        }
    }
    return int(count - counted);
}
