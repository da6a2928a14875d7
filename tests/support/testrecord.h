#pragma once

#include "serializable.h"

// The smallest concrete record: a type and an id, nothing else.
class TestRecord final : public Serializable
{
public:
    TestRecord(const QString& type, const QString& id) : Serializable(nullptr, type), id(id) {}
    QString recordType() const override { return typeName; }
    QString recordId() const override { return id; }

private:
    QString id;
};
