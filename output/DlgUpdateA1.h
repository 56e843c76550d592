// The update command's dialog: pick a table that an extraction inserted and choose what to do
// with it (refresh, add objects, replace its objects, export it again).
#pragma once

#include "engine/str_helper.h"
#include "host/editor.h"
#include "host/ui.h"

class DlgUpdateA1 : public CQxUiDialog {
public:
    static constexpr std::uint32_t IDD = 135;
    enum Action { kRefresh, kAdd, kReplace, kExport };

    explicit DlgUpdateA1(QxWindowHandle parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    bool IsTablePicked() const { return tablePicked; }

private:
    // Asks for one table; on success it becomes the table the actions work on.
    void PickTable();
    void OnAction(Action action);

    qxds_name m_pickedTable = {0, 0};
    bool tablePicked = false;
    StrHelper myStrHelper;
};
