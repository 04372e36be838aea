// Writes keys into an ini file as fast as it can, for the test of writers in several processes.
// Usage: ini_writer FILE PREFIX COUNT  (keys PREFIX0 ... with the values "value 0" ...); exit
// status 1 when any write reported failure.

#include "platform/ini_profile_store.h"

#include <QString>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    // Waits as long as it takes: the writers keep the lock busy, and losing a key is what is tested.
    CIniProfileStore store(QString::fromLocal8Bit(argv[1]), std::chrono::minutes(1));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = QString::fromLocal8Bit(argv[3]).toInt();
    int failed = 0;
    for (int i = 0; i < count; ++i)
        failed +=
            store.WriteString("Settings", prefix + QString::number(i), "value " + QString::number(i)) ? 0 : 1;
    return failed == 0 ? 0 : 1;
}
