#include "adapter/adapter_state.h"

std::unique_ptr<platform::HidDevice> g_hAdapter;
std::array<std::uint16_t, 3> g_reportLen{};
std::uint8_t g_cmdCode = 0;
std::uint32_t g_cmdAddr = 0;
std::uint32_t g_cmdLen = 0;
std::array<std::uint8_t, 256> g_cmdData{};

void ResetAdapterState() {
    g_hAdapter.reset();
    g_reportLen = {};
    g_cmdCode = 0;
    g_cmdAddr = 0;
    g_cmdLen = 0;
    g_cmdData = {};
}
