#include "cameraip.h"

#include <QtDebug>
#include <cstdio>
#include <cstring>

#include "cameraglobals.h"
#include "ensuredevicereach.h"
#include "gevdiscovery.h"
#include "gevforceip.h"
#include "gigeenv.h"

namespace {
constexpr char kRepairFilter[] = "F622";
constexpr int kAddressTries = 5;
constexpr int kCandidateDraws = 100;

QString macText(const uint8_t* mac) {
    return QString::asprintf("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

QString ipText(uint32_t ip) {
    char t[16];
    getStrIp(ip, t);
    return QString::fromLatin1(t);
}

// A random address on the interface's subnet: never the interface's own, never the subnet's network
// or broadcast address. 0 when 100 draws found none (a /31 or /32 subnet has no such address).
uint32_t drawCandidate(uint32_t ip, uint32_t mask) {
    const GigeEnv& env = gigeEnv();
    const uint32_t hostBits = ~mask;
    for (int draw = 0; draw < kCandidateDraws; ++draw) {
        uint32_t r = 0;
        for (int b = 0; b < 4; ++b) r = (r << 8) | uint32_t(env.random() % 245 + 10);
        const uint32_t c = (ip & mask) | (r & hostBits);
        const uint32_t host = c & hostBits;
        if (c == ip || host == 0 || host == hostBits) continue;
        return c;
    }
    return 0;
}
}  // namespace

CIpConfig::CIpConfig() {
    std::memset(interfaces_, 0, sizeof(interfaces_));
}

CIpConfig::~CIpConfig() = default;

bool CIpConfig::Init() {
    return DeviceEnumeInit() > 0;
}

int CIpConfig::DeviceEnumeInit() {
    for (auto& d : discoveries_) d.reset();
    interfaceCount_ = 0;
    std::vector<NetInterface> list;
    if (!gigeEnv().interfaces || !gigeEnv().interfaces->list(&list)) return 0;
    for (const NetInterface& n : list) {
        if (interfaceCount_ >= kMaxInterfaces) break;
        const uint32_t first = n.ip >> 24;
        if (first < 1 || first > 254 || n.ip == 0x7F000001u || n.ip == 0xE0000001u) continue;
        Interface& rec = interfaces_[interfaceCount_++];
        std::memset(&rec, 0, sizeof(rec));
        std::strncpy(rec.name, n.name.constData(), sizeof(rec.name) - 1);
        std::memcpy(rec.mac, n.mac, sizeof(rec.mac));
        rec.ip = n.ip;
        rec.mask = n.mask;
    }
    for (int i = 0; i < interfaceCount_; ++i)
        discoveries_[i] = std::make_unique<CGevDiscovery>(kRepairFilter, interfaces_[i].ip, false);
    return interfaceCount_;
}

int CIpConfig::RefreshDevList() {
    for (int i = 0; i < interfaceCount_; ++i) discoveries_[i]->SendDiscovery();
    gigeEnv().sleepMs(GigeTimings::current().discoveryWaitMs);
    devices_.clear();
    deviceIf_.clear();
    std::vector<gvcp_discovery_ack_s> found(CGevDiscovery::kMaxDevices);
    for (int i = 0; i < interfaceCount_; ++i) {
        const int n = discoveries_[i]->GetDiscoveryList(found.data(), int(found.size()));
        for (int k = 0; k < n && int(devices_.size()) < kMaxDevices; ++k) {
            devices_.push_back(found[size_t(k)]);
            deviceIf_.push_back(i);
        }
    }
    return int(devices_.size());
}

int CIpConfig::GetDeviceList(gvcp_discovery_ack_s* acks, int room) {
    int n = 0;
    for (; n < int(devices_.size()) && n < room; ++n) acks[n] = devices_[size_t(n)];
    return n;
}

int CIpConfig::deviceInterface(int d) const {
    return validDevice(d) ? deviceIf_[size_t(d)] : -1;
}

bool CIpConfig::IsDevIPValid(int d) const {
    if (!validDevice(d)) return false;
    const Interface& itf = interfaces_[deviceIf_[size_t(d)]];
    const uint32_t ip = ackIp(devices_[size_t(d)]);
    const uint32_t mask = ackMask(devices_[size_t(d)]);
    return ip != itf.ip && (ip & mask) == (itf.ip & itf.mask);
}

bool CIpConfig::force(int d, uint32_t ip, uint32_t mask, uint32_t gateway) {
    const Interface& itf = interfaces_[deviceIf_[size_t(d)]];
    forceIp_ = std::make_unique<CGevForceIp>(itf.ip);
    return forceIp_->GevSetForceIpCustom(devices_[size_t(d)].mac, ip, mask, gateway, 0, 1, true) == 1;
}

bool CIpConfig::AutoSetIpAddr(int d) {
    if (!validDevice(d)) return false;
    const Interface& itf = interfaces_[deviceIf_[size_t(d)]];
    const GigeEnv& env = gigeEnv();
    env.seedRandom(unsigned(env.monotonicMs()));
    const QString mac = macText(devices_[size_t(d)].mac);
    for (int attempt = 0; attempt < kAddressTries; ++attempt) {
        const uint32_t candidate = drawCandidate(itf.ip, itf.mask);
        if (candidate == 0) {
            qWarning().noquote() << "GigE repair: no free address can exist on" << itf.name << "for" << mac;
            return false;
        }
        const int probe = env.arpProbe(candidate, itf.ip, itf.mac, itf.name);
        if (probe == 1) {
            const bool ok = force(d, candidate, itf.mask, 0);
            qInfo().noquote() << QStringLiteral("GigE repair: camera %1 on %2 from %3 to %4: %5")
                                     .arg(mac, QString::fromLatin1(itf.name),
                                          ipText(ackIp(devices_[size_t(d)])), ipText(candidate),
                                          ok ? QStringLiteral("done") : QStringLiteral("not acknowledged"));
            return ok;
        }
        if (probe < 0) {
            // The address cannot be checked: forcing it could take the address of another host.
            qWarning().noquote() << "GigE repair: no ARP probe possible on" << itf.name << "; camera" << mac
                                 << "left as it is";
            return false;
        }
    }
    qWarning().noquote() << "GigE repair: every address tried on" << itf.name << "is in use; camera" << mac
                         << "left as it is";
    return false;
}

bool CIpConfig::SetIpAddr(int d, const char* ip, const char* mask, const char* gateway) {
    unsigned char a[4], m[4], g[4];
    if (!validDevice(d) || !GetIpFromString(ip, a) || !GetIpFromString(mask, m) ||
        !GetIpFromString(gateway, g))
        return false;
    return force(d, gvcpGet32(a), gvcpGet32(m), gvcpGet32(g));
}

namespace {
// A text field of a discovery answer: up to its size, ending at the first zero byte.
QString ackText(const char* field, size_t size) {
    return QString::fromLatin1(field, int(strnlen(field, size)));
}
}  // namespace

bool CIpConfig::GetDevInfo(int d, GevDevInfo* info) const {
    if (!validDevice(d) || !info) return false;
    const gvcp_discovery_ack_s& a = devices_[size_t(d)];
    info->ip = ipText(ackIp(a));
    info->mask = ipText(ackMask(a));
    info->gateway = ipText(gvcpGet32(a.gateway));
    info->mac = macText(a.mac);
    info->model = ackText(a.model, sizeof(a.model));
    info->serial = ackText(a.serial, sizeof(a.serial));
    info->userName = ackText(a.userName, sizeof(a.userName));
    // The two letters after the filter text (a zero byte there reads as "other").
    const size_t filter = sizeof(kRepairFilter) - 1;
    const size_t infoLength = strnlen(a.makerInfo, sizeof(a.makerInfo));
    const char speed = infoLength > filter ? a.makerInfo[filter] : '\0';
    const char state = infoLength > filter + 1 ? a.makerInfo[filter + 1] : '\0';
    info->speed = speed == 'C'   ? QStringLiteral("1000M")
                  : speed == 'B' ? QStringLiteral("100M")
                                 : QStringLiteral("10M");
    info->state = state == 'I' ? QStringLiteral("IDLE") : QStringLiteral("BUSY");
    return true;
}

int RepairAllCameraIP() {
    auto config = std::make_unique<CIpConfig>();
    if (!config->Init()) return -1;
    const int count = config->RefreshDevList();
    if (count == 0) return 0;
    std::vector<gvcp_discovery_ack_s> list(static_cast<size_t>(count));
    config->GetDeviceList(list.data(), count);
    // A camera answering on several interfaces of one cable (addresses of several subnets on one
    // port) is left alone when one of them reaches it, and is given a new address at most once.
    std::vector<const uint8_t*> settled;
    auto isSettled = [&settled](const uint8_t* mac) {
        for (const uint8_t* m : settled)
            if (std::memcmp(m, mac, 6) == 0) return true;
        return false;
    };
    for (int d = 0; d < count; ++d)
        if (config->IsDevIPValid(d)) settled.push_back(list[size_t(d)].mac);
    int repaired = 0;
    for (int d = 0; d < count; ++d) {
        const uint8_t* mac = list[size_t(d)].mac;
        if (isSettled(mac)) continue;
        settled.push_back(mac);
        if (config->AutoSetIpAddr(d)) ++repaired;
    }
    qInfo().noquote()
        << QStringLiteral("GigE repair: %1 of %2 cameras given a new address").arg(repaired).arg(count);
    return repaired;
}

void installGigeRepair() {
    setGigeRepairHooks(&RepairAllCameraIP, [] { EnsureDeviceReach(); });
}

bool GetIpFromString(const char* text, unsigned char* bytes) {
    if (!text) return false;
    const char* p = text;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && *p++ != '.') return false;
        int value = 0, digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 4) {
            value = value * 10 + (*p++ - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        bytes[part] = uint8_t(value);
    }
    return *p == '\0';
}

void getStrIp(unsigned long address, char* text) {
    std::snprintf(text, 16, "%u.%u.%u.%u", unsigned(address >> 24) & 0xFF, unsigned(address >> 16) & 0xFF,
                  unsigned(address >> 8) & 0xFF, unsigned(address) & 0xFF);
}

unsigned int getIntIp(const char* text) {
    unsigned char b[4];
    return GetIpFromString(text, b) ? gvcpGet32(b) : 0;
}
