#pragma once

#include "companykeys.h"
#include "modelfacade.h"
#include "testhome.h"

// A temporary home for tests of the model: the facade of the test goes before its home,
// so that every test starts with a fresh facade reading a fresh data directory.
class ModelHome : public TestHome
{
public:
    using TestHome::TestHome;
    ~ModelHome() { ModelFacade::destroyInstance(); }
};

inline ModelFacade* loadedFacade()
{
    ModelFacade::instance()->loadPersistentData();
    return ModelFacade::instance();
}

// A new customer with every required field (and `extra` over them), offered for
// registering; its code, or an empty one when it is refused.
inline QString registerCustomer(ModelFacade* facade, const QString& name, const QMap<QString, QString>& extra = {})
{
    facade->newCustomer();
    QMap<QString, QString> fields = {{RAGIONE_S, name}, {ADDRESS, "via garibaldi 7"}, {LOCALITY, "roma"}, {CITY, "rm"},
                                     {FISCAL_CODE, "rssmra80a01h501u"}, {NAZIONE, "italia"}};
    fields.insert(extra);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        facade->setCustomerField(it.key(), it.value());
    bool added = false;
    return facade->addCustomer(&added);
}
