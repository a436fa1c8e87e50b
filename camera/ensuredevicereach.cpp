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

bool IsFreeIp(const char* address) {
    // ping ends with 1 when no reply came within the deadline; 0 means an answer, 2 an error, and a
    // missing ping or shell gives 127 or -1. Only a clean "no reply" shows the address is free: taking
    // an address nobody checked could move the camera onto another host's.
    const CommandResult r =
        RunCommandCapture(QStringLiteral("ping %1 -w 1").arg(QString::fromLatin1(address)));
    return r.exitCode == 1 && !r.output.contains("ttl");
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
bool tryHost(unsigned int base, unsigned int h, unsigned int* out, unsigned int netIp, unsigned int netMask) {
    const unsigned int address = base + h;
    if (netMask != 0) {
        const unsigned int host = address & ~netMask;
        if ((address & netMask) != (netIp & netMask) || host == 0 || host == ~netMask) return false;
    }
    char text[16];
    getStrIp(address, text);
    const bool free = IsFreeIp(text);
    qDebug().noquote() << QString::asprintf("nSetDeviceIp: %s, bFreeIp: %d", text, free ? 1 : 0);
    if (!free) return false;
    *out = address;
    return true;
}
}  // namespace

bool bChooseNoUseIp(unsigned int base, unsigned int start, unsigned int* out, unsigned int netIp,
                    unsigned int netMask) {
    for (unsigned int h = start < 1 ? 1 : start; h <= 254; ++h)
        if (tryHost(base, h, out, netIp, netMask)) return true;
    for (unsigned int h = (start > 255 ? 255 : start); h-- > 1;)
        if (tryHost(base, h, out, netIp, netMask)) return true;
    return false;
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
