#include "TField.h"

#include "TADOQuery.h"
#include "VariantConversion.h"

namespace db {

QVariant TField::Value() const {
    return query_->fieldValue(*this);
}

bool TField::IsNull() const {
    return Value().isNull();
}

QString TField::AsString() const {
    return variantAsString(Value());
}

bool TField::AsBoolean() const {
    return variantAsBoolean(Value());
}

void TField::SetValue(const QVariant& value) {
    query_->setFieldValue(*this, value);
}

bool TField::Visible() const {
    return query_->column(*this).visible;
}

void TField::SetVisible(bool visible) {
    query_->setFieldVisible(*this, visible);
}

bool TField::ReadOnly() const {
    return query_->column(*this).readOnly;
}

void TField::SetReadOnly(bool readOnly) {
    query_->setFieldReadOnly(*this, readOnly);
}

} // namespace db
