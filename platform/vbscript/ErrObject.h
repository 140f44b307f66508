#pragma once

#include "platform/com/DispatchObject.h"

namespace vbs {

// The script's Err object: Number (its default member), Description, Source, Clear and Raise.
class ErrObject : public com::DispatchObject
{
public:
    QString typeName() const override { return QStringLiteral("ErrObject"); }
    com::Variant invoke(const QString &member, std::vector<com::Variant> &args) override;
    void put(const QString &member, const std::vector<com::Variant> &args,
             const com::Variant &value) override;
    QString defaultMember() const override { return QStringLiteral("Number"); }

    void set(int number, const QString &description, const QString &source);
    void clear();
    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &source() const { return m_source; }

private:
    int m_number = 0;
    QString m_description;
    QString m_source;
};

} // namespace vbs
