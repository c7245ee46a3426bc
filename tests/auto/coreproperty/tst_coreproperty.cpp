#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/Property.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using Tavrin::Core::Property;

namespace {

std::vector<std::string> ChildNames(const Property& property)
{
    std::vector<std::string> names;
    for (const Property& child : property.GetChildren()) {
        names.push_back(child.GetName());
    }
    return names;
}

Property MakeSample()
{
    Property root("settings");
    root.SetString("v1");
    root["window"]["width"].SetString("800");
    root["window"]["height"].SetString("600");
    root["theme"].SetString("dark");
    return root;
}

}  // namespace

TEST(Property, ChildrenAreUniqueAndKeepInsertionOrder)
{
    Property root("root");
    EXPECT_EQ(root.GetName(), "root");
    root["zeta"].SetString("1");
    Property& alpha = root["alpha"];
    root["zeta"].SetString(std::string("3\0", 2));
    root[""];
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"zeta", "alpha", ""}));
    EXPECT_EQ(root["zeta"].GetString(), std::string("3\0", 2));
    EXPECT_FALSE(root.ChildExists("Zeta")) << "names are case-sensitive";

    // A reference to a child survives many siblings coming and going.
    for (int i = 0; i < 1000; ++i) {
        root[std::to_string(i)];
    }
    EXPECT_TRUE(root.RemoveChild("zeta"));
    EXPECT_FALSE(root.RemoveChild("zeta"));
    alpha.SetString("still here");
    EXPECT_EQ(root.FindChild("alpha"), &alpha);
    EXPECT_EQ(root["alpha"].GetString(), "still here");
    root["zeta"];
    EXPECT_EQ(root.GetChildren().back().GetName(), "zeta") << "a re-added name goes last";

    root.ClearChildren();
    EXPECT_TRUE(root.GetChildren().empty());
    EXPECT_FALSE(root.ChildExists("alpha"));
}

TEST(Property, ConstLookupNeverCreates)
{
    const Property root = MakeSample();
    EXPECT_EQ(root["window"]["width"].GetString(), "800");
    try {
        (void)root["window"]["depth"];
        FAIL() << "did not throw";
    } catch (const Tavrin::Exception& e) {
        EXPECT_NE(Tavrin::GetDescription(e).find("'window' has no child named 'depth'"),
                  std::string::npos)
            << Tavrin::GetDescription(e);
    }
    EXPECT_EQ(root.GetChildren().size(), 2u);
    EXPECT_EQ(root.FindChild("missing"), nullptr);
    EXPECT_EQ(root.FindChild("theme")->GetString(), "dark");
}

TEST(Property, CopiesAreDeepAndMovesKeepLookupsWorking)
{
    const Property original = MakeSample();
    Property copy(original);
    EXPECT_EQ(copy, original);
    copy["window"]["width"].SetString("1024");
    EXPECT_NE(copy, original);
    EXPECT_EQ(original["window"]["width"].GetString(), "800");
    // The copy's lookups must point into its own children.
    EXPECT_TRUE(copy.RemoveChild("theme"));
    EXPECT_TRUE(original.ChildExists("theme"));
    copy = original;
    EXPECT_EQ(copy, original);
    copy.SetString("v2");
    EXPECT_NE(copy, original);

    Property moved(std::move(copy));
    EXPECT_TRUE(moved.RemoveChild("theme"));
    copy = std::move(moved);
    EXPECT_EQ(copy["window"]["width"].GetString(), "800");
    EXPECT_FALSE(copy.ChildExists("theme"));
    std::vector<Property> list(100, MakeSample());
    list.resize(1000);  // reallocation moves the elements
    EXPECT_TRUE(list.front().RemoveChild("window"));

    // The same children in another order make another tree.
    Property xy;
    xy["x"];
    xy["y"];
    Property yx;
    yx["y"];
    yx["x"];
    EXPECT_NE(xy, yx);
}
