// The adapter command: the start-up's firmware check and, when that sends the adapter into its boot loader,
// the rest of the upgrade once the boot loader has arrived.
#include "app/command_runner.h"
#include "platform/clock.h"
#include "platform/hid_bus.h"

namespace {

constexpr std::uint64_t kArrivalWaitMs = 60000;
constexpr std::uint32_t kArrivalPollMs = 50;

// Hands the bus's arrivals to the dialog as device-change messages; false when none came in time.
bool AwaitArrival(CommandSession& session) {
    platform::HidBus* bus = session.dlg.AdapterBus();
    const std::uint64_t deadline = session.clock.NowMs() + kArrivalWaitMs;
    for (;;) {
        bool arrived = false;
        for (int n = bus ? bus->TakeArrivals() : 0; n > 0; --n) {
            session.dlg.OnDeviceChange(kDeviceArrival);
            arrived = true;
        }
        if (arrived) return true;
        if (session.clock.NowMs() >= deadline) return false;
        session.clock.Sleep(kArrivalPollMs);
    }
}

}  // namespace

// Exit 0 when the adapter runs the image's version, already or after the upgrade; 1 for every other end.
int RunAdapter(CommandSession& session) {
    RunTimers(session);  // timer 1: the firmware check, then the setup script
    if (session.dlg.m_adapterStage == AdapterStage::kWaitingForLoader) {
        if (!AwaitArrival(session)) {
            std::fprintf(session.err, "The adapter's boot loader did not arrive within %u s.\n",
                         static_cast<unsigned>(kArrivalWaitMs / 1000));
            return kExitFailure;
        }
        RunTimers(session);  // timer 2: installation wait, boot-loader search, download, restart
    }
    const AdapterStage stage = session.dlg.m_adapterStage;
    return stage == AdapterStage::kCurrent || stage == AdapterStage::kUpgraded ? kExitSuccess : kExitFailure;
}
