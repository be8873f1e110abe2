#include "engine/Driver.h"
#include "engine/card/CardDriver.h"
#include "engine/dbase/DbaseDriver.h"
#include "engine/odbc/OdbcDriver.h"
#include "engine/paradox/ParadoxDriver.h"
#include "engine/text/TextTable.h"

#include <mutex>

namespace vellora::engine {

namespace {

std::vector<std::unique_ptr<TableDriver>> &registry()
{
    static std::vector<std::unique_ptr<TableDriver>> all = [] {
        std::vector<std::unique_ptr<TableDriver>> v;
        v.push_back(std::make_unique<CardDriver>());
        v.push_back(std::make_unique<DbaseDriver>(TableType::DBase));
        v.push_back(std::make_unique<DbaseDriver>(TableType::FoxPro));
        v.push_back(std::make_unique<TextDriver>());
        v.push_back(std::make_unique<ParadoxDriver>());
        v.push_back(std::make_unique<OdbcDriver>());
        return v;
    }();
    return all;
}

} // namespace

void registerDriver(std::unique_ptr<TableDriver> driver)
{
    auto &all = registry();
    for (auto &d : all)
        if (d->type() == driver->type()) {
            d = std::move(driver);
            return;
        }
    all.push_back(std::move(driver));
}

TableDriver *driverFor(TableType type)
{
    for (auto &d : registry())
        if (d->type() == type)
            return d.get();
    return nullptr;
}

TableDriver *driverForExtension(const QString &extensionWithDot)
{
    const QString ext = extensionWithDot.toLower();
    for (auto &d : registry())
        if (d->extensions().contains(ext))
            return d.get();
    return nullptr;
}

TableDriver *driverForAlias(const QString &alias)
{
    for (auto &d : registry())
        for (const QString &a : d->aliasNames())
            if (a.compare(alias, Qt::CaseInsensitive) == 0)
                return d.get();
    return nullptr;
}

std::vector<TableDriver *> drivers()
{
    std::vector<TableDriver *> out;
    for (auto &d : registry())
        out.push_back(d.get());
    return out;
}

} // namespace vellora::engine
