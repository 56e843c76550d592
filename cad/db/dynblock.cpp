#include "host/dynblock.h"

#include "host/dbsymbols.h"

QxDbEvalVariant QxDbEvalVariant::fromProperty(const QxDbBlockReference::DynamicProperty& property)
{
    QxDbEvalVariant v;
    v.m_restype = property.restype;
    v.m_text = property.text;
    v.m_real = property.real;
    v.m_integer = property.integer;
    return v;
}

QxDbDynBlockReference::QxDbDynBlockReference(QxDbObjectId blockReference) : m_reference(blockReference) {}

namespace {

// The dynamic definition behind a block record: the record itself when it is one, the
// definition it represents when it is an anonymous copy, else null.
QxDbObjectId dynamicDefinitionOf(QxDbObjectId blockRecord)
{
    QxDbBlockTableRecord* record = nullptr;
    if (qxdbOpenObject(record, blockRecord, QxDb::kForRead) != Qxapp::eOk) return {};
    QxDbObjectId result;
    if (record->isDynamicDefinition()) {
        result = blockRecord;
    } else if (!record->dynamicBlockDefinition().isNull()) {
        QxDbBlockTableRecord* definition = nullptr;
        if (qxdbOpenObject(definition, record->dynamicBlockDefinition(), QxDb::kForRead) == Qxapp::eOk) {
            if (definition->isDynamicDefinition()) result = record->dynamicBlockDefinition();
            definition->close();
        }
    }
    record->close();
    return result;
}

}  // namespace

bool QxDbDynBlockReference::isDynamicBlock(QxDbObjectId blockTableRecord)
{
    return !dynamicDefinitionOf(blockTableRecord).isNull();
}

QxDbObjectId QxDbDynBlockReference::anonymousBlockTableRecord() const
{
    QxDbBlockReference* reference = nullptr;
    if (qxdbOpenObject(reference, m_reference, QxDb::kForRead) != Qxapp::eOk) return {};
    const QxDbObjectId block = reference->blockTableRecord();
    reference->close();
    QxDbBlockTableRecord* record = nullptr;
    if (qxdbOpenObject(record, block, QxDb::kForRead) != Qxapp::eOk) return {};
    const bool anonymous = record->isAnonymous() && !record->dynamicBlockDefinition().isNull();
    record->close();
    return anonymous ? block : QxDbObjectId{};
}

bool QxDbDynBlockReference::isDynamicBlock() const { return !dynamicBlockTableRecord().isNull(); }

QxDbObjectId QxDbDynBlockReference::dynamicBlockTableRecord() const
{
    QxDbBlockReference* reference = nullptr;
    if (qxdbOpenObject(reference, m_reference, QxDb::kForRead) != Qxapp::eOk) return {};
    const QxDbObjectId block = reference->blockTableRecord();
    reference->close();
    return dynamicDefinitionOf(block);
}

void QxDbDynBlockReference::getBlockProperties(QxDbDynBlockReferencePropertyArray& properties) const
{
    properties.clear();
    QxDbBlockReference* reference = nullptr;
    if (qxdbOpenObject(reference, m_reference, QxDb::kForRead) != Qxapp::eOk) return;
    const QxDbObjectId block = reference->blockTableRecord();
    const std::vector<QxDbBlockReference::DynamicProperty> stored = reference->dynamicProperties();
    reference->close();
    if (dynamicDefinitionOf(block).isNull()) return;

    // Every dynamic block has its base point as the first property; its value is a point
    // (result type 12), which the evaluation variant does not carry.
    QxDbBlockReference::DynamicProperty origin;
    origin.name = u"Origin";
    origin.restype = 12;
    properties.emplace_back(origin.name, QxDbEvalVariant::fromProperty(origin));
    for (const auto& p : stored) {
        if (p.name == u"Origin") continue;  // never twice
        properties.emplace_back(p.name, QxDbEvalVariant::fromProperty(p));
    }
}
