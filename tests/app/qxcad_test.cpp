// The host as a user runs it: loading the module, running its commands and built-ins from a
// script, and refusing what it cannot do.
#include <gtest/gtest.h>

#include "support/run_qxcad.h"

using qxtest::runQxcad;

TEST(Qxcad, LoadsTheModuleAndReachesBothCommandHandlers)
{
    const auto run = runQxcad("DATAEXTRACTION\ncancel\ndataextractionupdate\ncancel\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Dialog \"Data extraction v0.8.42 - Starting (1/5)\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Updating exportation"), std::string::npos) << run.output;
}

TEST(Qxcad, EndOfInputQuitsCleanly)
{
    const auto run = runQxcad("");
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST(Qxcad, AScriptLineThatCannotBeCarriedOutStopsTheRunAndNamesTheLine)
{
    const auto run = runQxcad("GETVAR LUPREC\n; a comment\nNOSUCHCOMMAND\nGETVAR CMDECHO\n");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("line 3"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("NOSUCHCOMMAND"), std::string::npos);
    EXPECT_EQ(run.output.find("CMDECHO = "), std::string::npos) << "the run went on after the failed line";

    EXPECT_EQ(runQxcad("SETVAR LUPREC 12\n").exitCode, 2);
}

TEST(Qxcad, VerlanFollowsTheLanguageOptionOrEnvironmentAndSetvarChangesIt)
{
    EXPECT_NE(runQxcad("GETVAR VERLAN\n", "--lang fr").output.find("VERLAN = fr-FR"), std::string::npos);
    EXPECT_NE(runQxcad("GETVAR VERLAN\n", "", "LANG=es_ES.UTF-8").output.find("VERLAN = es-ES"), std::string::npos);
    EXPECT_NE(runQxcad("GETVAR VERLAN\n", "--lang en", "LANG=fr_FR.UTF-8").output.find("VERLAN = en-US"),
              std::string::npos);
    const auto run = runQxcad("SETVAR VERLAN fr-FR\nGETVAR verlan\nSETVAR LUPREC 2\nGETVAR LUPREC\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("VERLAN = fr-FR"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("LUPREC = 2"), std::string::npos);
}

TEST(Qxcad, RefusesAModuleBuiltForAnotherInterfaceRelease)
{
    const auto run = runQxcad("QUIT\n", "--module " + std::string(QX_BUILD_DIR) + "/tests/test_wrong_version_module.qxrx");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("interface version 0x07E10000"), std::string::npos) << run.output;
}

TEST(Qxcad, RefusesAnUnknownLanguageOption)
{
    const auto run = runQxcad("QUIT\n", "--lang de");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("usage: qxcad"), std::string::npos);
}
