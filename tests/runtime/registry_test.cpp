// Run-time classes, protocol extensions, the system registry and the command stack.
#include <gtest/gtest.h>

#include "editor.h"
#include "rx.h"

namespace {

class Animal : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(Animal)
};
class Dog : public Animal {
    QX_RX_DECLARE_MEMBERS(Dog)
};
class Speaker : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(Speaker)
};
QX_RX_DEFINE_CLASS(Animal, QxRxObject, "")
QX_RX_DEFINE_CLASS(Dog, Animal, "DOG")
QX_RX_DEFINE_CLASS(Speaker, QxRxObject, "")

int g_calls = 0;
void countCall() { ++g_calls; }

}  // namespace

TEST(RunTimeClasses, DerivationAndCastFollowTheClassTree)
{
    Dog dog;
    Animal animal;
    EXPECT_TRUE(dog.isKindOf(Animal::desc()));
    EXPECT_TRUE(Dog::desc()->isDerivedFrom(QxRxObject::desc()));
    EXPECT_FALSE(animal.isKindOf(Dog::desc()));
    EXPECT_EQ(Dog::cast(&animal), nullptr);
    EXPECT_EQ(Animal::cast(&dog), &dog);
    EXPECT_EQ(Dog::cast(nullptr), nullptr);
    EXPECT_EQ(dog.isA()->dxfName(), u"DOG");
}

TEST(RunTimeClasses, ProtocolExtensionOfABaseClassServesDerivedClasses)
{
    static Speaker speaker;
    Animal::desc()->addX(Speaker::desc(), &speaker);
    Dog dog;
    EXPECT_EQ(dog.x(Speaker::desc()), &speaker);
    EXPECT_EQ(speaker.x(Speaker::desc()), nullptr);
}

TEST(SystemRegistry, HoldsTheDynamicLinkerAndTheCommandStack)
{
    auto* linker = qxrxLookup<QxRxDynamicLinker>(QXRX_DYNAMIC_LINKER);
    ASSERT_NE(linker, nullptr);
    ASSERT_NE(qxrxLookup<QxEdCommandStack>(QXRX_COMMAND_STACK), nullptr);
    // The class check refuses an entry of the wrong class.
    EXPECT_EQ(qxrxLookup<QxEdCommandStack>(QXRX_DYNAMIC_LINKER), nullptr);
    int packet = 0;
    EXPECT_TRUE(linker->isApplicationLocked(&packet));
    EXPECT_TRUE(linker->unlockApplication(&packet));
    EXPECT_FALSE(linker->isApplicationLocked(&packet));
    EXPECT_FALSE(linker->isAppMDIAware(&packet));
    linker->registerAppMDIAware(&packet);
    EXPECT_TRUE(linker->isAppMDIAware(&packet));
}

TEST(CommandStack, CommandsAreFoundIgnoringCaseUntilTheirGroupIsRemoved)
{
    auto* stack = qxrxLookup<QxEdCommandStack>(QXRX_COMMAND_STACK);
    QxEdCommand* created = nullptr;
    ASSERT_EQ(stack->addCommand(u"TEST_GROUP", u"FIRSTCMD", u"PREMIERE", 1, countCall, nullptr, -1, nullptr, &created),
              Qxapp::eOk);
    ASSERT_EQ(stack->addCommand(u"TEST_GROUP", u"SECONDCMD", u"SECONDCMD", 0, countCall), Qxapp::eOk);
    EXPECT_EQ(stack->lookupCmd(u"firstcmd"), created);
    EXPECT_EQ(stack->lookupCmd(u"Premiere"), created);
    EXPECT_EQ(created->commandFlags(), 1);
    EXPECT_EQ(created->functionCode(), -1);
    // A name already taken is refused rather than shadowing the first command.
    EXPECT_EQ(stack->addCommand(u"OTHER", u"FirstCmd", u"x", 0, countCall), Qxapp::eDuplicateKey);

    g_calls = 0;
    stack->lookupCmd(u"SECONDCMD")->functionAddr()();
    EXPECT_EQ(g_calls, 1);

    EXPECT_EQ(stack->removeGroup(u"TEST_GROUP"), Qxapp::eOk);
    EXPECT_EQ(stack->lookupCmd(u"FIRSTCMD"), nullptr);
    EXPECT_EQ(stack->lookupCmd(u"SECONDCMD"), nullptr);
    EXPECT_EQ(stack->removeGroup(u"TEST_GROUP"), Qxapp::eNotInGroup);
}
