#pragma once

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
