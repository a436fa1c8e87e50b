#pragma once
// The IPv4 addresses of the computer's network interfaces, as the GigE address repair sees them.
#include <QByteArray>
#include <cstdint>
#include <vector>

struct NetInterface {
    QByteArray name;
    uint32_t ip = 0;      // host order
    uint32_t mask = 0;    // host order
    uint8_t mac[6] = {};  // all zero when the hardware address could not be read
};

class InterfaceSource {
public:
    virtual ~InterfaceSource() = default;
    // Every IPv4 address entry of the interface list, in the system's order. False when the list
    // cannot be read.
    virtual bool list(std::vector<NetInterface>* out) = 0;
};

// getifaddrs, and the hardware address of each interface read with SIOCGIFHWADDR.
class SystemInterfaceSource : public InterfaceSource {
public:
    bool list(std::vector<NetInterface>* out) override;
};

// A computer without network interfaces: the simulated profile.
class NoInterfaceSource : public InterfaceSource {
public:
    bool list(std::vector<NetInterface>* out) override {
        out->clear();
        return true;
    }
};
