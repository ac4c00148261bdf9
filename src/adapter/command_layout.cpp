#include "adapter/adapter_protocol.h"

CommandLayout LayoutOfCommand(std::uint8_t code) {
    switch (code) {
        case 0x44:
        case 0x80:
        case 0x81:
        case 0x8C:
        case 0x8D:
        case 0x98:
        case 0x99:
        case 0x9A:
        case 0x9F:
            return CommandLayout::kCodeOnly;
        case 0x82:
        case 0x84:
        case 0x86:
        case 0x88:
        case 0x8A:
        case 0x8E:
        case 0x90:
        case 0x91:
        case 0x92:
        case 0xA8:
            return CommandLayout::kAddressLength;
        case 0x83:
        case 0x85:
        case 0x89:
        case 0x8B:
            return CommandLayout::kAddressLengthPayload;
        case 0x87:
            return CommandLayout::kPayloadOnly;
        default:
            return CommandLayout::kNone;
    }
}

void PutU32LE(std::uint8_t* destination, std::uint32_t value) {
    destination[0] = static_cast<std::uint8_t>(value);
    destination[1] = static_cast<std::uint8_t>(value >> 8);
    destination[2] = static_cast<std::uint8_t>(value >> 16);
    destination[3] = static_cast<std::uint8_t>(value >> 24);
}
