// The dynamic-block view of a block reference and its properties.
#pragma once

#include <string>
#include <vector>

#include "dbentities.h"

// A value of a dynamic property: its result type (1 text, 40 real, 70 16-bit integer, 90
// 32-bit integer, other codes for other kinds) and the value.
class QxDbEvalVariant {
public:
    QxDbEvalVariant() = default;
    short restype() const { return m_restype; }
    const std::u16string& text() const { return m_text; }
    double real() const { return m_real; }
    short int16() const { return static_cast<short>(m_integer); }
    std::int32_t int32() const { return m_integer; }

    static QxDbEvalVariant fromProperty(const QxDbBlockReference::DynamicProperty& property);

private:
    short m_restype = 0;
    std::u16string m_text;
    double m_real = 0;
    std::int32_t m_integer = 0;
};

class QxDbDynBlockReferenceProperty {
public:
    QxDbDynBlockReferenceProperty(std::u16string name, QxDbEvalVariant value)
        : m_name(std::move(name)), m_value(std::move(value)) {}
    std::u16string propertyName() const { return m_name; }
    QxDbEvalVariant value() const { return m_value; }

private:
    std::u16string m_name;
    QxDbEvalVariant m_value;
};

using QxDbDynBlockReferencePropertyArray = std::vector<QxDbDynBlockReferenceProperty>;

// A view on a block reference by id. It opens the reference and its blocks for the time of
// each query only.
class QxDbDynBlockReference {
public:
    explicit QxDbDynBlockReference(QxDbObjectId blockReference);
    // The reference's block is a dynamic definition, or an anonymous block that represents
    // a changed reference of one.
    bool isDynamicBlock() const;
    // The dynamic definition's block record (the anonymous block's own record leads to it);
    // the null id when the reference is not dynamic.
    QxDbObjectId dynamicBlockTableRecord() const;
    QxDbObjectId anonymousBlockTableRecord() const;
    // The reference's dynamic properties, an "Origin" property first.
    void getBlockProperties(QxDbDynBlockReferencePropertyArray& properties) const;

    static bool isDynamicBlock(QxDbObjectId blockTableRecord);

private:
    QxDbObjectId m_reference;
};
