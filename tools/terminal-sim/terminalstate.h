#pragma once
// The state of one simulated terminal: every field that a status reply
// carries, plus what the simulator needs to answer. The simulator builds its
// status replies from this and applies received commands to it.
#include <QByteArray>
#include <QtGlobal>

#include <array>

namespace sim {

struct TerminalState
{
    quint16 id = 1;
    quint8 volume = 0;
    quint8 deviceType = 0;
    quint8 dhcp = 0;          // 1 = on
    quint8 link = 1;          // 1 connected, 2 waiting, other not connected
    quint16 firmware = 0;
    std::array<quint8, 4> ip{};
    std::array<quint8, 4> gateway{};
    std::array<quint8, 4> mask{};
    std::array<quint8, 4> server{};
    std::array<quint8, 6> mac{};
    std::array<quint8, 4> capture{};
    quint16 host1 = 0;
    quint8 netMode = 0xAA;    // 0xBB WAN, other LAN
    std::array<quint8, 16> text{}; // product model text, zero-padded
    quint8 gain = 0;
    quint8 delay = 0;
    quint16 lanRate = 0;
    quint16 wanRate = 0;
    quint8 autoAnswer = 0;    // 1 = automatic
    quint8 amplifier = 0;     // 1 = on
    quint8 extAudio = 0;
    quint8 micMode = 0;
    quint8 group = 0;
    quint8 fontState = 0;
    quint8 bootState = 0;
    quint16 host2 = 0;
    quint16 host3 = 0;
    std::array<quint8, 4> server2{};
    quint8 ringSwitch = 0;    // 1 = open
    quint8 maxVolume = 0;

    // Not reported: counters the simulator keeps about itself.
    int reboots = 0;
    // Answers queries but carries out no command (a terminal whose command
    // handling is broken, for the tests of verification).
    bool ignoresCommands = false;
    int factoryResets = 0;
};

} // namespace sim
