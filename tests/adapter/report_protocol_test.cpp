// The command and answer reports of the application and the boot loader's reset report, byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "adapter/adapter_protocol.h"
#include "adapter/adapter_state.h"
#include "platform/system_error.h"
#include "support/adapter_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = HidTransfer::Kind;

// bytes, then zeros up to length.
Bytes Padded(Bytes bytes, std::size_t length = 65) {
    bytes.resize(length, 0);
    return bytes;
}

class ReportProtocol : public AdapterTest {
  protected:
    void Open(const std::string& spec = "", std::uint16_t productId = kApplicationProductId) {
        Attach(spec);
        ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, productId), 1);
    }
    void SetCommand(std::uint8_t code, std::uint32_t address, std::uint32_t length,
                    const Bytes& payload = {}) {
        g_cmdCode = code;
        g_cmdAddr = address;
        g_cmdLen = length;
        std::copy(payload.begin(), payload.end(), g_cmdData.begin());
    }
};

struct CommandCase {
    const char* name;
    std::uint8_t code;
    std::uint32_t address;
    std::uint32_t length;
    Bytes payload;
    Bytes expected;  // the report's first bytes; the rest is zero
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name;
}

const Bytes kP = {0xD1, 0xD2, 0xD3};

const CommandCase kCommands[] = {
    {"VersionQuery", 0xA8, 0, 2, {}, {0x0C, 0xA8, 0, 0, 0, 0, 0x02, 0, 0, 0}},
    {"CodeOnlyIgnoresAddressAndLength", 0x80, 0x1234, 7, kP, {0x0C, 0x80}},
    {"CodeOnlyLast", 0x9F, 0x1234, 7, {}, {0x0C, 0x9F}},
    {"AddressAndLengthLittleEndian",
     0x82,
     0x12345678,
     0x9ABCDEF0,
     kP,
     {0x0C, 0x82, 0x78, 0x56, 0x34, 0x12, 0xF0, 0xDE, 0xBC, 0x9A}},
    {"AddressLengthPayload",
     0x83,
     0x2000,
     3,
     kP,
     {0x0F, 0x83, 0x00, 0x20, 0, 0, 0x03, 0, 0, 0, 0, 0, 0xD1, 0xD2, 0xD3}},
    // Only the low byte of the length sizes the payload; the length field keeps all four.
    {"PayloadSizedByLowByte",
     0x8B,
     0,
     0x0102,
     kP,
     {0x0E, 0x8B, 0, 0, 0, 0, 0x02, 0x01, 0, 0, 0, 0, 0xD1, 0xD2}},
    {"PayloadOnly", 0x87, 0x2000, 3, kP, {0x0F, 0x87, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xD1, 0xD2, 0xD3}},
    {"OutsideTable43", 0x43, 0x2000, 3, kP, {}},
    {"OutsideTable45", 0x45, 0x2000, 3, kP, {}},
    {"OutsideTableA9", 0xA9, 0x2000, 3, kP, {}},
};

class CommandReports : public ReportProtocol, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandReports, WritesTheLayoutOfItsCode) {
    const CommandCase& c = GetParam();
    Open();
    SetCommand(c.code, c.address, c.length, c.payload);
    EXPECT_NE(dlg->SendAdapterCommand(), 0);
    const auto writes = bus->Transfers(Kind::kWrite);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].bytes, Padded(c.expected));
    EXPECT_TRUE(view.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, CommandReports, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportProtocol, LargestPayloadFillsTheReport) {
    Open();
    Bytes payload(kMaxCommandPayload);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i + 1);
    SetCommand(0x85, 0, kMaxCommandPayload, payload);
    ASSERT_NE(dlg->SendAdapterCommand(), 0);
    const Bytes report = bus->Transfers(Kind::kWrite).at(0).bytes;
    EXPECT_EQ(report[0], 65);
    EXPECT_EQ(Bytes(report.begin() + 12, report.end()), payload);
}

TEST_F(ReportProtocol, ReportIsCutToTheOutputReportLength) {
    Open("output=9");
    SetCommand(0xA8, 0, 2);
    ASSERT_NE(dlg->SendAdapterCommand(), 0);
    EXPECT_EQ(bus->Transfers(Kind::kWrite).at(0).bytes, (Bytes{0x0C, 0xA8, 0, 0, 0, 0, 0x02, 0, 0}));
}

TEST_F(ReportProtocol, RefusesWhatWouldOverrunTheReportBuffer) {
    struct Case {
        const char* spec;
        std::uint8_t code;
        std::uint32_t length;
    };
    for (const Case& c : {Case{"output=66", 0xA8, 2}, Case{"", 0x83, kMaxCommandPayload + 1},
                          Case{"", 0x87, kMaxCommandPayload + 1}}) {
        SCOPED_TRACE(c.spec + std::string(" code ") + std::to_string(c.code));
        Open(c.spec);
        SetCommand(c.code, 0, c.length);
        EXPECT_EQ(dlg->SendAdapterCommand(), 0);
        EXPECT_EQ(bus->Count(Kind::kWrite), 0u);
    }
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ReportProtocol, FailedWriteShowsTheSystemErrorAndGivesZero) {
    Open();
    SetCommand(0x44, 0, 0);
    ASSERT_NE(dlg->SendAdapterCommand(), 0);  // the adapter leaves for its boot loader
    SetCommand(0xA8, 0, 2);
    EXPECT_EQ(dlg->SendAdapterCommand(), 0);
    const RecordedBox expected{platform::SystemErrorText(platform::GenericDeviceError()), kCaption,
                               platform::BoxStyle::kOkWarning};
    EXPECT_EQ(view.boxes, std::vector<RecordedBox>{expected});
}

TEST_F(ReportProtocol, ResetToLoaderSendsCommand44AndKeepsTheCommandCode) {
    Open();
    g_cmdCode = 0x99;
    g_cmdAddr = 0x1234;
    g_cmdLen = 7;
    EXPECT_EQ(dlg->ResetToLoader(), 1);
    EXPECT_EQ(bus->Transfers(Kind::kWrite).at(0).bytes, Padded({0x0C, 0x44}));
    EXPECT_EQ(g_cmdCode, 0x99);
    EXPECT_EQ(g_cmdLen, 7u);
}

TEST_F(ReportProtocol, ResetToLoaderGivesOneWhenTheWriteFails) {
    Open();
    ASSERT_EQ(dlg->ResetToLoader(), 1);
    EXPECT_EQ(dlg->ResetToLoader(), 1);  // the adapter is gone: the write fails and is shown
    EXPECT_EQ(view.boxes.size(), 1u);
}

// --- answers ---

TEST_F(ReportProtocol, AnswerOfTheExpectedLengthFillsTheCommandData) {
    Open("version=0x31.0x42");
    SetCommand(0xA8, 0, 2);
    ASSERT_NE(dlg->SendAdapterCommand(), 0);
    g_cmdData.fill(0xAA);
    EXPECT_EQ(dlg->ReadAdapterResponse(), 1);
    EXPECT_EQ(g_cmdData[0], 0x31);
    EXPECT_EQ(g_cmdData[1], 0x42);
    EXPECT_EQ(g_cmdData[2], 0xAA);
    EXPECT_EQ(bus->Count(Kind::kRead), 1u);
}

TEST_F(ReportProtocol, OtherReportsAreSkippedAtMostOneHundred) {
    struct Case {
        int noise;
        int result;
        std::size_t reads;
    };
    for (const Case& c : {Case{99, 1, 100}, Case{100, 0, 100}}) {
        SCOPED_TRACE(c.noise);
        Open("version=0x31.0x42,noise=" + std::to_string(c.noise));
        SetCommand(0xA8, 0, 2);
        ASSERT_NE(dlg->SendAdapterCommand(), 0);
        g_cmdData.fill(0xAA);
        EXPECT_EQ(dlg->ReadAdapterResponse(), c.result);
        EXPECT_EQ(bus->Count(Kind::kRead), c.reads);
        EXPECT_EQ(g_cmdData[0], c.result == 1 ? 0x31 : 0xAA);
    }
}

TEST_F(ReportProtocol, FailedReadIsNoAnswer) {
    struct Case {
        const char* spec;
        std::size_t reads;  // the last one times out
    };
    for (const Case& c : {Case{"silent", 1}, Case{"answer-length=3", 2}, Case{"answer-length=0", 2}}) {
        SCOPED_TRACE(c.spec);
        Open(c.spec);
        SetCommand(0xA8, 0, 2);
        ASSERT_NE(dlg->SendAdapterCommand(), 0);
        g_cmdData.fill(0xAA);
        const std::uint64_t before = clock.NowMs();
        EXPECT_EQ(dlg->ReadAdapterResponse(), 0);
        EXPECT_EQ(bus->Count(Kind::kRead), c.reads);
        EXPECT_EQ(clock.NowMs() - before, 1000u) << "one read time-out";
        EXPECT_EQ(g_cmdData[0], 0xAA);
    }
}

TEST_F(ReportProtocol, RefusesAnswersTheBufferCannotHold) {
    struct Case {
        const char* spec;
        std::uint32_t expected;
    };
    for (const Case& c : {Case{"input=66", 2}, Case{"", kMaxAnswerPayload + 1}}) {
        SCOPED_TRACE(c.spec);
        Open(c.spec);
        SetCommand(0xA8, 0, 2);
        ASSERT_NE(dlg->SendAdapterCommand(), 0);
        g_cmdLen = c.expected;
        EXPECT_EQ(dlg->ReadAdapterResponse(), 0);
        EXPECT_EQ(bus->Count(Kind::kRead), 0u);
    }
}

// --- boot loader ---

TEST_F(ReportProtocol, ResetToApplicationReport) {
    struct Case {
        const char* spec;
        int result;
        Bytes sent;  // empty: nothing sent
    };
    const Case cases[] = {
        {"loader,feature=8", 0, {}},
        {"loader,feature=9", 1, {0x00, 0x44, 0, 0, 0, 0, 0, 0, 0}},
        {"loader,feature=65", 1, Padded({0x00, 0x44})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        Open(c.spec, kBootLoaderProductId);
        EXPECT_EQ(dlg->ICE_Reset_to_AP(), c.result);
        const auto sent = bus->Transfers(Kind::kSetFeature);
        if (c.sent.empty()) {
            EXPECT_TRUE(bus->transfers.empty());
        } else {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].bytes, c.sent);
        }
    }
}

TEST_F(ReportProtocol, RefusedResetCancelsAndGivesZero) {
    Open("loader,refuse=reset", kBootLoaderProductId);
    EXPECT_EQ(dlg->ICE_Reset_to_AP(), 0);
    ASSERT_EQ(bus->transfers.size(), 2u);
    EXPECT_FALSE(bus->transfers[0].ok);
    EXPECT_EQ(bus->transfers[1].kind, Kind::kCancel);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ReportProtocol, ResetToApplicationWithoutDeviceGivesZero) {
    Attach();
    EXPECT_EQ(dlg->ICE_Reset_to_AP(), 0);
}

TEST_F(ReportProtocol, CloseDevice) {
    Attach();
    EXPECT_EQ(dlg->ICE_Close_Device(), 1);  // nothing open
    EXPECT_EQ(g_hAdapter, nullptr);
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    EXPECT_EQ(dlg->ICE_Close_Device(), 1);
    EXPECT_EQ(g_hAdapter, nullptr);
}

TEST(PutU32LE, LeastSignificantByteFirst) {
    std::uint8_t bytes[6] = {0xEE, 0, 0, 0, 0, 0xEE};
    PutU32LE(bytes + 1, 0x12345678);
    EXPECT_EQ(Bytes(std::begin(bytes), std::end(bytes)), (Bytes{0xEE, 0x78, 0x56, 0x34, 0x12, 0xEE}));
}

}  // namespace
