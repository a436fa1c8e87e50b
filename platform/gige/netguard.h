#pragma once
// Whether this process may put packets on a real network interface (GigE discovery, force-IP, ARP).
//
// Panel profile: yes. Any other profile (the simulated one, every test): only inside a network
// namespace that is provably not the machine's own. The test harness records the identity of the
// namespace it starts in as MONITOR_HOST_NETNS before it makes a new one; sending is allowed when
// that variable is set, differs from this process's namespace, and the namespace of process 1 (when
// it can be read) differs too. Anything unknown means no.
#include <QString>

bool realNetworkAllowed(QString* why = nullptr);

// Identity (inode number) of a process's network namespace; 0 when it cannot be read.
unsigned long long netNamespaceId(const char* procNsPath = "/proc/self/ns/net");
