#include "AutomationRegistry.h"
#include "Variant.h"

#include <gtest/gtest.h>

namespace {

struct Nothing final : Dispatch
{
    Result<Variant> Invoke(DispId member, DispatchKind kind, const QList<Variant>&) override
    {
        return memberNotFound(member, kind);
    }
};

TEST(Variant, TypesAndDescriptions)
{
    const struct
    {
        Variant value;
        quint16 vt;
        const char* text;
    } rows[] = {
        {Variant(), VT_EMPTY, "VT_EMPTY"},
        {Variant::fromString(QStringLiteral("/a b.xls")), VT_BSTR, "VT_BSTR \"/a b.xls\""},
        {Variant::fromI4(1), VT_I4, "VT_I4 1"},
        {Variant::fromI2(0), VT_I2, "VT_I2 0"},
        {Variant::fromBool(false), VT_BOOL, "VT_BOOL false"},
        {Variant::missing(), VT_ERROR, "VT_ERROR 0x80020004"},
        {Variant::fromDispatch(std::make_shared<Nothing>()), VT_DISPATCH, "VT_DISPATCH"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.value.vt(), row.vt) << row.text;
        EXPECT_EQ(row.value.describe().toStdString(), row.text);
    }
    EXPECT_TRUE(Variant::missing().isMissing());
    EXPECT_FALSE(Variant::fromError(0x80004005).isMissing());
    // An I2 zero is not a VT_BOOL false, nor an I4 zero.
    EXPECT_FALSE(Variant::fromI2(0) == Variant::fromBool(false));
    EXPECT_FALSE(Variant::fromI2(0) == Variant::fromI4(0));
    EXPECT_EQ(Variant::fromI4(0).toString(), QString());
}

TEST(Variant, ByReferenceReadsAndWritesTheTarget)
{
    Variant target = Variant::fromI4(7);
    const Variant ref = Variant::byRef(target);
    EXPECT_EQ(ref.vt(), VT_I4 | VT_BYREF);
    EXPECT_EQ(ref.toI4(), 7);
    *ref.target() = Variant::fromString(QStringLiteral("changed"));
    EXPECT_EQ(target.toString(), QStringLiteral("changed"));
    EXPECT_EQ(ref.vt(), VT_BSTR | VT_BYREF);
    const Variant refToRef = Variant::byRef(*const_cast<Variant*>(&ref));
    EXPECT_EQ(refToRef.target(), &target);
    EXPECT_TRUE(refToRef == ref);
}

TEST(AutomationRegistry, CreatesRegisteredServersOnly)
{
    AutomationRegistry registry;
    EXPECT_TRUE(registry.CoInitialize().ok());
    const auto unknown = registry.createObject(QStringLiteral("Excel.Application"));
    ASSERT_FALSE(unknown.ok());
    EXPECT_TRUE(unknown.status().message().contains(QStringLiteral("Excel.Application")));

    int created = 0;
    registry.registerServer(QStringLiteral("Excel.Application"),
                            [&]() -> Result<std::shared_ptr<Dispatch>> {
                                ++created;
                                return std::shared_ptr<Dispatch>(std::make_shared<Nothing>());
                            });
    const auto first = registry.createObject(QStringLiteral("Excel.Application"));
    const auto second = registry.createObject(QStringLiteral("Excel.Application"));
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_NE(first.value(), second.value()); // one instance per creation
    EXPECT_EQ(created, 2);
    EXPECT_FALSE(registry.createObject(QStringLiteral("excel.application")).ok());

    const auto call = first.value()->Invoke(0x12E, DispatchKind::Method, {});
    ASSERT_FALSE(call.ok());
    EXPECT_EQ(call.status().code(), statusCode(DISP_E_MEMBERNOTFOUND));

    registry.registerServer(
        QStringLiteral("Word.Application"),
        []() -> Result<std::shared_ptr<Dispatch>> { return std::shared_ptr<Dispatch>(); });
    EXPECT_FALSE(registry.createObject(QStringLiteral("Word.Application")).ok());
}

} // namespace
