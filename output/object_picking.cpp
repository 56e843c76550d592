#include "output/object_picking.h"

#include "engine/entity_kinds.h"
#include "host/database.h"
#include "host/dbentities.h"
#include "host/ui.h"
#include "module/strings.h"

namespace {

using Texts = std::vector<std::u16string>;

// Lets the user pick objects, the dialog hidden meanwhile.
bool PickObjects(CPnUiBaseDialog* pDialog, std::uint32_t promptId, SelectionSet& ssNew)
{
    qxutPrintf(u"%s", LoadResString(promptId).c_str());
    if (pDialog) pDialog->BeginEditorCommand();
    if (!ssNew.select(nullptr)) {
        if (pDialog) pDialog->CancelEditorCommand();
        ssNew.free();
        return false;
    }
    if (pDialog) pDialog->CompleteEditorCommand(true);
    return true;
}

// The kinds and handles of the picked objects that the engine reads, in pick order. Multi-line
// texts are among them: the engine reads them like the other kinds.
void ClassifyPicked(const SelectionSet& ss, const StrHelper& strHelper, std::set<std::u16string>& seNewObjTypes,
                    Texts& lsNewHdls)
{
    for (std::int32_t i = 0; i < ss.length(); ++i) {
        qxds_name ent = {0, 0};
        QxDbObjectId id;
        if (qxedSSName(ss.name(), i, ent) != QXRT_NORM || qxdbGetObjectId(id, ent) != Qxapp::eOk) continue;
        QxDbObject* pObj = nullptr;
        if (qxdbOpenObject(pObj, id, QxDb::kForRead) != Qxapp::eOk) continue;
        QxDbObjectCloser<QxDbObject> closer(pObj);
        const EntityKind* kind = KindOfObject(pObj);
        if (!kind || strHelper.KindName(kind->code).empty()) continue;
        seNewObjTypes.insert(strHelper.KindName(kind->code));
        lsNewHdls.push_back(pObj->handle().ascii());
    }
}

}  // namespace

std::optional<PickedObjects> PickAndReadObjects(CPnUiBaseDialog* pDialog, std::uint32_t promptId,
                                                const StrHelper& strHelper)
{
    SelectionSet ssNew;
    if (!PickObjects(pDialog, promptId, ssNew)) return std::nullopt;
    std::set<std::u16string> seNewObjTypes;
    Texts lsNewHdls;
    ClassifyPicked(ssNew, strHelper, seNewObjTypes, lsNewHdls);
    PickedObjects picked{std::move(seNewObjTypes), std::move(lsNewHdls),
                         ExtractionEngine(ssNew.name(), ssNew.length(), strHelper)};
    ssNew.free();
    return picked;
}
