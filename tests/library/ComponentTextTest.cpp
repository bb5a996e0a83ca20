// Components to text and back, and the script errors the failures become.
#include "library/ComponentText.h"

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TComponent.h"
#include "classes/TextForm.h"

#include "PinnedSettings.h"

#include <memory>

using namespace library;

namespace {

class TLibPanel : public classes::TComponent {
public:
    CLASSES_OBJECT(TLibPanel)
    explicit TLibPanel(TComponent* owner) : TComponent(owner) {}
    int32_t width() const { return m_width; }
    void setWidth(int32_t v) { m_width = v; }
    std::string caption() const { return m_caption; }
    void setCaption(const std::string& v) { m_caption = v; }

private:
    int32_t m_width = 0;
    std::string m_caption;
};

const classes::ClassInfo& TLibPanel::staticClass() {
    static const auto info =
        classes::ClassBuilder<TLibPanel>("TLibPanel", TComponent::staticClass())
            .property("Width", classes::types::integer(), &TLibPanel::width, &TLibPanel::setWidth,
                      {.defaultValue = 0})
            .property("Caption", classes::types::string(), &TLibPanel::caption, &TLibPanel::setCaption)
            .build();
    return *info;
}

class ComponentText : public PinnedSettings {
protected:
    void SetUp() override {
        PinnedSettings::SetUp();
        classes::ClassRegistry::registerClass(TLibPanel::staticClass());
    }
};

}  // namespace

TEST_F(ComponentText, WritesTheTextFormAndReadsANewComponentBack) {
    TLibPanel panel(nullptr);
    panel.setName("Panel1");
    panel.setWidth(120);
    panel.setCaption("Caf\xe9 'n' more");
    auto* child = new TLibPanel(&panel);  // owned by panel
    child->setName("Inner");
    child->setWidth(-3);

    const std::string text = ComponentToString(panel);
    EXPECT_EQ(text.rfind("object Panel1: TLibPanel\n", 0), 0u) << text;
    EXPECT_NE(text.find("  Width = 120\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  object Inner: TLibPanel\n    Width = -3\n  end\n"), std::string::npos) << text;

    std::unique_ptr<classes::TComponent> copy = StringToComponent(text);
    ASSERT_NE(copy, nullptr);
    auto* back = dynamic_cast<TLibPanel*>(copy.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->owner(), nullptr);
    EXPECT_EQ(back->width(), 120);
    EXPECT_EQ(back->caption(), "Caf\xe9 'n' more");
    ASSERT_EQ(back->componentCount(), 1);
    auto* inner = dynamic_cast<TLibPanel*>(back->component(0));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->name(), "Inner");
    EXPECT_EQ(inner->width(), -3);
    // The copy writes the same text, apart from the name a second root must not share.
    copy->setName("Panel1");
    EXPECT_EQ(ComponentToString(*copy), text);
}

TEST_F(ComponentText, FailuresCarryTheStreamMessages) {
    try {
        StringToComponent("object X: TNoSuchClass\nend\n");
        FAIL();
    } catch (const classes::EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class TNoSuchClass not found");
    }
    EXPECT_THROW(StringToComponent("object X: TLibPanel\n  Width = \nend\n"), classes::TextFormError);
    EXPECT_THROW(StringToComponent(""), classes::TextFormError);
    EXPECT_THROW(StringToComponent("object X: TLibPanel\n  Nonsense = 1\nend\n"), base::Error);
}
