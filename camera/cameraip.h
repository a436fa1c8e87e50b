#pragma once
// GigE address repair: before camera detection, every GigE camera of the repaired kind (discovery
// answer whose manufacturer-specific information begins with "F622") that is not reachable on the
// subnet of the interface it answered on gets a free random address on that subnet.
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "gvcp.h"

class CGevDiscovery;
class CGevForceIp;

// A discovered camera as a maintenance screen shows it. The manufacturer-specific information of the
// repaired kind is the filter text "F622", then a link-speed letter ('C' 1000M, 'B' 100M, any other
// 10M), then a state letter ('I' idle, any other busy).
struct GevDevInfo {
    QString ip, mask, gateway;  // "%d.%d.%d.%d"
    QString mac;                // "%02X-%02X-%02X-%02X-%02X-%02X"
    QString model, serial, userName;
    QString speed;  // "1000M", "100M" or "10M"
    QString state;  // "IDLE" or "BUSY"
};

// One discovery and one address repair; lives on the heap for one RepairAllCameraIP.
class CIpConfig {
public:
    static constexpr int kMaxInterfaces = 32;
    static constexpr int kMaxDevices = 8000;

    struct Interface {
        char name[256];
        uint8_t mac[6];
        uint32_t ip;    // host order
        uint32_t mask;  // host order
    };

    CIpConfig();
    ~CIpConfig();  // stops and joins the discoveries' threads
    CIpConfig(const CIpConfig&) = delete;
    CIpConfig& operator=(const CIpConfig&) = delete;

    // True when DeviceEnumeInit kept at least one interface.
    bool Init();
    // Keeps the IPv4 interfaces with a first address byte 1 to 254 other than 127.0.0.1 and
    // 224.0.0.1 (at most 32), each with a discovery filtered by "F622". Returns their count.
    int DeviceEnumeInit();
    // One discovery broadcast per interface, a 200 ms wait, then the answers in interface order.
    // Returns the device count.
    int RefreshDevList();
    int GetDeviceList(gvcp_discovery_ack_s* acks, int room);
    // True when device d has an address other than its interface's, on the interface's subnet.
    bool IsDevIPValid(int d) const;
    // Gives device d a random address on its interface's subnet that an ARP probe showed free.
    // True when the camera acknowledged it. Nothing is forced when no candidate was verified free.
    bool AutoSetIpAddr(int d);
    // Sends the given dotted address, mask and gateway to device d. False on a malformed text or
    // no acknowledge.
    bool SetIpAddr(int d, const char* ip, const char* mask, const char* gateway);
    // Device d of the last list, formatted for display; false (and `info` untouched) for an index
    // outside the list.
    bool GetDevInfo(int d, GevDevInfo* info) const;

    int interfaceCount() const { return interfaceCount_; }
    const Interface& interfaceAt(int i) const { return interfaces_[i]; }
    int deviceCount() const { return int(devices_.size()); }
    // Index of the interface whose discovery found device d, or -1.
    int deviceInterface(int d) const;

private:
    bool validDevice(int d) const { return d >= 0 && d < int(devices_.size()); }
    bool force(int d, uint32_t ip, uint32_t mask, uint32_t gateway);

    std::unique_ptr<CGevDiscovery> discoveries_[kMaxInterfaces];
    std::unique_ptr<CGevForceIp> forceIp_;
    std::vector<gvcp_discovery_ack_s> devices_;
    std::vector<int> deviceIf_;
    Interface interfaces_[kMaxInterfaces];
    int interfaceCount_ = 0;
};

// -1 when no usable interface exists, else the number of cameras that accepted a new address.
int RepairAllCameraIP();

// Installs RepairAllCameraIP and EnsureDeviceReach as the hooks camera detection runs.
void installGigeRepair();

// Four decimal numbers 0 to 255 separated by dots, nothing else; writes the four bytes.
bool GetIpFromString(const char* text, unsigned char* bytes);
// Dotted text of a host-order address; `text` has room for 16 characters.
void getStrIp(unsigned long address, char* text);
// Host-order address of a dotted text; 0 when it is malformed.
unsigned int getIntIp(const char* text);
