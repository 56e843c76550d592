// The module's entry point: registration of the two commands, the messages, the version.
#include <gtest/gtest.h>

#include "editor.h"
#include "entrypoint.h"
#include "module/commands.h"
#include "module/module_state.h"
#include "rx.h"

extern "C" QxRx::AppRetCode qxrxEntryPoint(QxRx::AppMsgCode message, void* appPacket);
extern "C" std::uint32_t qxrxGetApiVersion();

namespace {

QxEdCommandStack* stack() { return qxrxLookup<QxEdCommandStack>(QXRX_COMMAND_STACK); }

class EntryPoint : public ::testing::Test {
protected:
    void SetUp() override { AttachModule(); }
    void TearDown() override { qxrxEntryPoint(QxRx::kUnloadAppMsg, &m_packet); }
    int m_packet = 0;
};

}  // namespace

TEST_F(EntryPoint, InitRegistersExactlyTheTwoCommandsWithTheirFlagsAndResources)
{
    EXPECT_EQ(qxrxEntryPoint(QxRx::kInitAppMsg, &m_packet), QxRx::kRetOK);
    QxEdCommand* extraction = stack()->lookupCmd(u"DATAEXTRACTION");
    QxEdCommand* update = stack()->lookupCmd(u"DATAEXTRACTIONUPDATE");
    ASSERT_NE(extraction, nullptr);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(std::u16string(extraction->groupName()), u"QXRX_DATA_EXTRACT");
    EXPECT_EQ(std::u16string(update->groupName()), u"QXRX_DATA_EXTRACT");
    EXPECT_EQ(std::u16string(extraction->localName()), u"DATAEXTRACTION");
    EXPECT_EQ(extraction->commandFlags(), 0);
    EXPECT_EQ(update->commandFlags(), 1);
    EXPECT_EQ(extraction->functionCode(), -1);
    EXPECT_EQ(extraction->UIContext(), nullptr);
    EXPECT_EQ(extraction->resourceInstance(), moduleRecord().moduleResourceInstance);
    EXPECT_NE(extraction->resourceInstance(), nullptr);
    EXPECT_EQ(update->resourceInstance(), nullptr);
    EXPECT_EQ(extraction->functionAddr(), &RunDataExtraction);
    EXPECT_EQ(update->functionAddr(), &RunDataExtractionUpdate);

    auto* linker = qxrxLookup<QxRxDynamicLinker>(QXRX_DYNAMIC_LINKER);
    EXPECT_FALSE(linker->isApplicationLocked(&m_packet));
    EXPECT_TRUE(linker->isAppMDIAware(&m_packet));
    // The resource-override scope is closed again after registering.
    EXPECT_NE(qxuiGetResourceHandle(), moduleRecord().moduleResourceInstance);
}

TEST_F(EntryPoint, UnloadRemovesBothCommandsAndOtherMessagesChangeNothing)
{
    qxrxEntryPoint(QxRx::kInitAppMsg, &m_packet);
    for (auto message : {QxRx::kNullMsg, QxRx::kLoadDwgMsg, QxRx::kUnloadDwgMsg, QxRx::kQuitMsg,
                         static_cast<QxRx::AppMsgCode>(99)}) {
        EXPECT_EQ(qxrxEntryPoint(message, &m_packet), QxRx::kRetOK);
        EXPECT_NE(stack()->lookupCmd(u"DATAEXTRACTION"), nullptr);
    }
    EXPECT_EQ(qxrxEntryPoint(QxRx::kUnloadAppMsg, &m_packet), QxRx::kRetOK);
    EXPECT_EQ(stack()->lookupCmd(u"DATAEXTRACTION"), nullptr);
    EXPECT_EQ(stack()->lookupCmd(u"DATAEXTRACTIONUPDATE"), nullptr);
}

TEST(ApiVersion, IsTheReleaseYearInTheUpperHalf)
{
    EXPECT_EQ(qxrxGetApiVersion(), 0x07E20000u);
    EXPECT_EQ(qxrxGetApiVersion() >> 16, 2018u);
}
