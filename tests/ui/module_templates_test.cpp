// The module's own dialog templates and images, as the pages and the update dialog find them.
#include <gtest/gtest.h>

#include <map>

#include "module/module_state.h"
#include "support/ui_dialogs.h"

TEST(ModuleTemplates, EveryPageTemplateHoldsTheControlsItsPageAddresses)
{
    AttachModule();
    const QxResourceInstance module = moduleRecord().moduleResourceInstance;
    const std::map<std::uint32_t, std::vector<int>> addressed = {
        {102, {1035, 1004, 1002, 1047, 1046, 1001, 1, 2}},
        {103, {1035, 1036, 1002, 1037, 1051, 1011, 1001, 1, 2}},
        {110, {1035, 1038, 1022, 1039, 1023, 1001, 1, 2}},
        {111, {1035, 1040, 1025, 1039, 1023, 1057, 1056, 1033, 1029, 1028, 1001, 1, 2}},
        {112, {1041, 1022, 1038, 1043, 1031, 1044, 1029, 1045, 1016, 1042, 1003, 1017, 1001, 2, 1}},
        {135, {1048, 1051, 1055, 1052, 1056, 1053, 1057, 1054, 1058, 1, 2}},
    };
    for (const auto& [id, controls] : addressed) {
        QxUiDialogTemplate t;
        std::u16string error;
        ASSERT_TRUE(qxuiLoadDialogTemplate(id, t, module, &error)) << id << ": " << qx::toUtf8(error);
        std::vector<int> ids;
        for (const auto& control : t.controls)
            if (control.id != -1) ids.push_back(control.id);
        EXPECT_EQ(ids, controls) << "template " << id;
        int defaults = 0;
        for (const auto& control : t.controls) defaults += control.kind == QxUiControlKind::DefPushButton;
        EXPECT_EQ(defaults, 1) << "template " << id;
    }
}

TEST(ModuleTemplates, PagesShowTheSidePictureAndTheIconsLoad)
{
    AttachModule();
    const QxResourceInstance module = moduleRecord().moduleResourceInstance;
    qxtest::ScriptInput input("cancel\n");
    qxtest::RecordingDialog page(110u, pwsw_qxappMainWnd(), module);
    ASSERT_EQ(page.DoModal(), IDCANCEL);
    EXPECT_EQ(page.GetDlgItem(-1).GetImage().GetResourceId(), 109u);
    EXPECT_TRUE(qxtest::contains(qx::transcript(), u"[-1]   picture <bitmap 109>"));
    EXPECT_EQ(CQxUiImage::LoadIcon(132, 16, 16, module).GetKind(), CQxUiImage::Icon);
    EXPECT_EQ(CQxUiImage::LoadIcon(133, 16, 16, module).GetKind(), CQxUiImage::Icon);
    EXPECT_TRUE(CQxUiImage::LoadIcon(134, 16, 16, module).IsNull());
}
