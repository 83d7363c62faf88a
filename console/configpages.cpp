#include "configpages.h"

// Placeholder until the pages are built: no pages, no records.

ConfigPages::ConfigPages(QObject *parent)
    : QObject(parent)
{
}

ConfigPages::~ConfigPages() = default;

QWidget *ConfigPages::page(int) const
{
    return nullptr;
}

void ConfigPages::setupTables() { }
void ConfigPages::clearTables() { }
void ConfigPages::prepareForStartup() { }
void ConfigPages::applyRecord(const QString &, const FieldCodecs::SplitResult &) { }

ConfigPages::SaveRecords ConfigPages::buildSave(int) const
{
    return {};
}

CoolFlex *ConfigPages::prefixTable() const
{
    return nullptr;
}

CoolFlex *ConfigPages::numberList() const
{
    return nullptr;
}
