// Every test of the drawing table reads the catalogue in English, through the module's own
// resources, as the loaded module does.
#include <gtest/gtest.h>

#include "cad/runtime/language.h"
#include "module/module_state.h"

namespace {

class DrawTableEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        AttachModule();
        qx::setUserLanguage(qx::Language::English);
    }
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DrawTableEnvironment);

}  // namespace
