// Every engine test reads the catalogue in English, through the module's own resources.
#include <gtest/gtest.h>

#include "cad/runtime/language.h"
#include "module/module_state.h"

namespace {

class EngineTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        AttachModule();
        qx::setUserLanguage(qx::Language::English);
    }
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new EngineTestEnvironment);

}  // namespace
