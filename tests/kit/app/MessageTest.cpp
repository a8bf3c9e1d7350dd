#include <kit/app/AppDefs.h>
#include <kit/app/BMessage.h>

#include <gtest/gtest.h>

TEST(FourCharacterCodes, FirstCharacterIsTheMostSignificantByte) {
    EXPECT_EQ(four_cc("ENCD"), 0x454E4344u);
    EXPECT_EQ(four_cc("_QRQ"), 0x5F515251u);
    EXPECT_EQ(four_cc("_ABR"), 0x5F414252u);
    EXPECT_EQ(four_cc("BRAQ"), 0x42524151u);
    EXPECT_EQ(four_cc("DATA"), 0x44415441u);
    EXPECT_EQ(B_QUIT_REQUESTED, 0x5F515251u);
    EXPECT_EQ(B_ABOUT_REQUESTED, 0x5F414252u);
    EXPECT_EQ(B_SOME_APP_QUIT, 0x42524151u);
    EXPECT_EQ(B_SIMPLE_DATA, 0x44415441u);
}

TEST(Message, FieldsKeepTheirValuesInIndexOrder) {
    BMessage message(four_cc("TEST"));
    entry_ref first(1, 2, "a.wav", "/x/a.wav");
    entry_ref second(1, 2, "b.wav", "/x/b.wav");
    ASSERT_EQ(message.AddRef("refs", &first), B_OK);
    ASSERT_EQ(message.AddRef("refs", &second), B_OK);
    ASSERT_EQ(message.AddString("name", "Liste"), B_OK);
    ASSERT_EQ(message.AddInt32("count", -7), B_OK);
    ASSERT_EQ(message.AddBool("flag", true), B_OK);

    entry_ref ref;
    EXPECT_EQ(message.FindRef("refs", 0, &ref), B_OK);
    EXPECT_EQ(ref, first);
    EXPECT_EQ(ref.path, "/x/a.wav");
    EXPECT_EQ(message.FindRef("refs", 1, &ref), B_OK);
    EXPECT_EQ(ref, second);

    const char* name = nullptr;
    EXPECT_EQ(message.FindString("name", &name), B_OK);
    EXPECT_STREQ(name, "Liste");
    int32 count = 0;
    EXPECT_EQ(message.FindInt32("count", &count), B_OK);
    EXPECT_EQ(count, -7);
    bool flag = false;
    EXPECT_EQ(message.FindBool("flag", &flag), B_OK);
    EXPECT_TRUE(flag);

    type_code type = 0;
    int32 values = 0;
    EXPECT_EQ(message.GetInfo("refs", &type, &values), B_OK);
    EXPECT_EQ(type, B_REF_TYPE);
    EXPECT_EQ(values, 2);
    EXPECT_EQ(message.CountNames(), 4);
}

TEST(Message, FindReportsMissingWrongTypeAndBadIndexWithoutTouchingTheOutput) {
    BMessage message(1);
    message.AddString("name", "x");
    entry_ref untouched(9, 9, "keep", "/keep");

    entry_ref ref = untouched;
    EXPECT_EQ(message.FindRef("refs", &ref), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindRef("name", &ref), B_BAD_TYPE);
    EXPECT_EQ(ref.path, "/keep");

    std::string text = "before";
    EXPECT_EQ(message.FindString("name", 1, &text), B_BAD_INDEX);
    EXPECT_EQ(message.FindString("name", -1, &text), B_BAD_INDEX);
    EXPECT_EQ(text, "before");

    EXPECT_FALSE(message.HasRef("refs"));
    EXPECT_TRUE(message.HasString("name"));
    EXPECT_FALSE(message.HasString("name", 1));

    // A field keeps the type it was made with.
    EXPECT_EQ(message.AddInt32("name", 3), B_BAD_TYPE);
    EXPECT_EQ(message.AddString(nullptr, "x"), B_BAD_VALUE);
    EXPECT_EQ(message.AddString("", "x"), B_BAD_VALUE);
}

TEST(Message, CopiesAreIndependent) {
    BMessage original(four_cc("OLPM"));
    original.AddString("name", "a");
    BMessage copy = original;
    copy.AddString("name", "b");
    copy.what = 5;
    int32 count = 0;
    original.GetInfo("name", nullptr, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(original.what, four_cc("OLPM"));
    EXPECT_EQ(copy.RemoveName("name"), B_OK);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.RemoveName("name"), B_NAME_NOT_FOUND);
}

TEST(EntryRef, EqualityIgnoresThePathItWasMadeFrom) {
    entry_ref a(1, 2, "x", "/one/x");
    entry_ref b(1, 2, "x", "/other/x");
    entry_ref c(1, 3, "x", "/one/x");
    entry_ref d(2, 2, "x", "/one/x");
    entry_ref e(1, 2, "y", "/one/y");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(a, d);
    EXPECT_NE(a, e);
    EXPECT_FALSE(entry_ref().IsSet());

    EXPECT_EQ(a.set_name("z"), B_OK);
    EXPECT_EQ(a.path, "/one/z");
    EXPECT_EQ(a.set_name("a/b"), B_BAD_VALUE);
}
