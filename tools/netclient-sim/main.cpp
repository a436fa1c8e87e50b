// netclient-sim: the network client beside the monitor (see netclientsim.h).
//   netclient-sim [--port N] [--key-dir DIR] [--log FILE] [--frames DIR] [--heartbeat MS]
//                 [--frame-read MS] [--no-ack]
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "netclientsim.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    NetClientSim::Options o;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const QString value = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == "--port") {
            o.port = quint16(value.toUInt());
            ++i;
        } else if (a == "--key-dir") {
            o.keyDir = value;
            ++i;
        } else if (a == "--log") {
            o.logFile = value;
            ++i;
        } else if (a == "--frames") {
            o.framesDir = value;
            ++i;
        } else if (a == "--heartbeat") {
            o.heartbeatMs = value.toInt();
            ++i;
        } else if (a == "--frame-read") {
            o.frameReadMs = value.toInt();
            ++i;
        } else if (a == "--no-ack") {
            o.acknowledge = false;
        } else {
            std::fprintf(stderr,
                         "usage: netclient-sim [--port N] [--key-dir DIR] [--log FILE] [--frames DIR] "
                         "[--heartbeat MS] [--frame-read MS] [--no-ack]\n");
            return 2;
        }
    }
    if (o.port == 0 || o.heartbeatMs <= 0 || o.frameReadMs <= 0) {
        std::fprintf(stderr, "netclient-sim: bad port or period\n");
        return 2;
    }
    // Ended by a signal, the system detaches the segments and gives back a lock taken (SEM_UNDO).
    NetClientSim client(o);
    client.start();
    return app.exec();
}
