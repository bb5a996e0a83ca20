// Class metadata, the registry, generic property access and component ownership.
#include "SampleClasses.h"

#include "classes/Errors.h"

#include <gtest/gtest.h>

using namespace classes;
using namespace sample;

TEST(ClassInfoTest, PropertiesIncludeAncestorsInOrderAndLookUpCaseInsensitively) {
    const ClassInfo& ci = TSampleForm::staticClass();
    ASSERT_GE(ci.properties().size(), 3u);
    EXPECT_EQ(ci.properties()[0]->name, "Name");  // TComponent's first
    EXPECT_EQ(ci.properties()[1]->name, "Tag");
    EXPECT_EQ(ci.properties()[2]->name, "Left");
    const PropInfo* p = ci.findProperty("fOnT");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name, "Font");
    EXPECT_EQ(p->type->kind(), TypeKind::Class);
    EXPECT_EQ(p->type->classInfo(), &TFont::staticClass());
    EXPECT_EQ(p->declaredBy, &TWidget::staticClass());
    EXPECT_EQ(ci.findProperty("NoSuch"), nullptr);
    EXPECT_TRUE(ci.findProperty("Fixed")->readOnly());
    EXPECT_TRUE(ci.inheritsFrom(TComponent::staticClass()));
    EXPECT_FALSE(TFont::staticClass().isComponent());
    EXPECT_TRUE(ci.isComponent());
    EXPECT_NE(ci.findDefinedProperty("left"), nullptr);  // TComponent's design position
    EXPECT_NE(ci.findMethod("BUTTON1CLICK"), nullptr);
    EXPECT_EQ(ci.findFieldClass("twidget"), &TWidget::staticClass());
}

TEST(ClassInfoTest, GenericAccessConvertsEveryKind) {
    TSampleForm form(nullptr);
    setPropertyValue(form, "Left", int64_t{-11});
    setPropertyValue(form, "Caption", std::string("Hello"));
    setPropertyValue(form, "Visible", int64_t{0});
    setPropertyValue(form, "Align", int64_t{5});
    setPropertyValue(form, "font.style", int64_t{0b101});
    setPropertyValue(form, "Ratio", static_cast<long double>(2.5));
    setPropertyValue(form, "Hint", std::u16string(u"\u00e9t\u00e9"));
    EXPECT_EQ(form.left(), -11);
    EXPECT_EQ(form.caption(), "Hello");
    EXPECT_FALSE(form.visible());
    EXPECT_EQ(form.align(), TAlign::alClient);
    EXPECT_EQ(form.font()->style(), 0b101u);
    EXPECT_EQ(form.ratio(), 2.5L);
    EXPECT_EQ(std::get<int64_t>(getPropertyValue(form, "LEFT")), -11);
    EXPECT_EQ(std::get<std::string>(getPropertyValue(form, "Font.Name")), "MS Sans Serif");
    EXPECT_EQ(std::get<TObject*>(getPropertyValue(form, "Font")), form.font());

    TWidget other(nullptr);
    setPropertyValue(form, "Buddy", static_cast<TObject*>(&other));
    EXPECT_EQ(form.buddy(), &other);
}

TEST(ClassInfoTest, GenericAccessFailures) {
    TSampleForm form(nullptr);
    auto message = [&](auto fn) {
        try {
            fn();
        } catch (const EPropertyError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { setPropertyValue(form, "Nope", int64_t{1}); }), "Property Nope does not exist");
    EXPECT_EQ(message([&] { setPropertyValue(form, "Fixed", int64_t{1}); }), "Property is read-only");
    EXPECT_EQ(message([&] { setPropertyValue(form, "Left", std::string("x")); }), "Invalid property value");
    EXPECT_EQ(message([&] { setPropertyValue(form, "Left.X", int64_t{1}); }), "Invalid property path");
    EXPECT_EQ(message([&] { setPropertyValue(form, "Buddy", static_cast<TObject*>(form.font())); }),
              "Invalid property value");
}

TEST(ClassRegistryTest, RegistersAncestorsAndFindsCaseInsensitively) {
    registerSampleClasses();
    EXPECT_EQ(ClassRegistry::find("tsampleform"), &TSampleForm::staticClass());
    EXPECT_EQ(ClassRegistry::find("TWIDGET"), &TWidget::staticClass());
    EXPECT_EQ(ClassRegistry::find("TComponent"), &TComponent::staticClass());
    EXPECT_EQ(ClassRegistry::find("TPersistent"), &TPersistent::staticClass());
    EXPECT_EQ(ClassRegistry::find("TNothing"), nullptr);
    registerSampleClasses();  // again: no change, no error
    auto all = ClassRegistry::all();
    EXPECT_NE(std::find(all.begin(), all.end(), &TWidget::staticClass()), all.end());
    EXPECT_THROW(ClassRegistry::get("TNothing"), EClassNotFound);

    static const auto impostor = ClassBuilder<TWidget>("TWidget", TComponent::staticClass()).build();
    EXPECT_THROW(ClassRegistry::registerClass(*impostor), base::Error);
    EXPECT_EQ(ClassRegistry::find("TWidget"), &TWidget::staticClass());
}

TEST(ClassInfoTest, FactoriesFollowConstructors) {
    TComponent owner(nullptr);
    TObject* obj = TWidget::staticClass().create(&owner);
    ASSERT_NE(dynamic_cast<TWidget*>(obj), nullptr);
    EXPECT_EQ(owner.componentCount(), 1);
    EXPECT_EQ(owner.component(0), obj);
    EXPECT_FALSE(TCollection::staticClass().canCreate());
    EXPECT_THROW(TCollection::staticClass().create(nullptr), base::Error);
    std::unique_ptr<TObject> font(TFont::staticClass().create(nullptr));
    EXPECT_NE(dynamic_cast<TFont*>(font.get()), nullptr);
}

TEST(IdentTableTest, ColourCursorAndCharsetNames) {
    int32_t v = 0;
    ASSERT_TRUE(types::color().idents()->toInt("clbtnface", v));
    EXPECT_EQ(static_cast<uint32_t>(v), 0x8000000Fu);
    ASSERT_TRUE(types::color().idents()->toInt("clMoneyGreen", v));
    EXPECT_EQ(v, 12639424);
    ASSERT_TRUE(types::color().idents()->toInt("clWindowText", v));
    EXPECT_EQ(static_cast<uint32_t>(v), 0x80000008u);
    ASSERT_TRUE(types::cursor().idents()->toInt("crHandPoint", v));
    EXPECT_EQ(v, -21);
    ASSERT_TRUE(types::fontCharset().idents()->toInt("DEFAULT_CHARSET", v));
    EXPECT_EQ(v, 1);
    std::string name;
    ASSERT_TRUE(types::color().idents()->toIdent(0x808080, name));
    EXPECT_EQ(name, "clGray");  // the alias clDkGray is never chosen
    EXPECT_FALSE(types::color().idents()->toIdent(0x123456, name));
    EXPECT_FALSE(types::color().idents()->toInt("clNoSuchColour", v));
}

TEST(ComponentTest, OwnershipNamesAndOrder) {
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* a = new TWidget(owner.get());
    auto* b = new TWidget(owner.get());
    a->setName("Alpha");
    b->setName("Beta");
    EXPECT_EQ(owner->findComponent("alpha"), a);
    EXPECT_EQ(b->componentIndex(), 1);
    EXPECT_THROW(b->setName("ALPHA"), EComponentError);
    try {
        b->setName("9lives");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "'9lives' is not a valid component name");
    }
    b->setComponentIndex(0);
    EXPECT_EQ(owner->component(0), b);
    delete a;  // an owned component may be deleted directly
    EXPECT_EQ(owner->componentCount(), 1);
    EXPECT_THROW(owner->component(5), EListError);
    owner.reset();  // deletes b; ASan would flag a double delete
}

TEST(ComponentTest, FreeNotificationClearsReferences) {
    TWidget holder(nullptr);
    auto* target = new TWidget(nullptr);
    holder.setBuddy(target);
    delete target;
    EXPECT_EQ(holder.buddy(), nullptr);

    auto* holder2 = new TWidget(nullptr);
    TWidget target2(nullptr);
    holder2->setBuddy(&target2);
    delete holder2;  // target2 must not keep a dangling link
    TWidget probe(nullptr);
    probe.setBuddy(&target2);
}

TEST(ComponentTest, NamePathAndAssignFailure) {
    TComponent root(nullptr);
    root.setName("Form1");
    auto* w = new TWidget(&root);
    w->setName("Button1");
    EXPECT_EQ(w->namePath(), "Form1.Button1");
    TStringList list;
    try {
        w->font()->assign(list);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TStringList to a TFont");
    }
}
