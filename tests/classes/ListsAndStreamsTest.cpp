// String lists, collections, streams and picture blobs.
#include "SampleClasses.h"

#include "classes/Errors.h"
#include "classes/PictureBlob.h"
#include "classes/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace classes;
using namespace sample;

TEST(StringListTest, TextSplitsAtEveryLineBreakAndJoinsWithCrLf) {
    TStringList l;
    l.setText("a\r\nb\nc\rd\r\n\r\n");
    ASSERT_EQ(l.count(), 5);
    EXPECT_EQ(l.get(3), "d");
    EXPECT_EQ(l.get(4), "");
    EXPECT_EQ(l.text(), "a\r\nb\r\nc\r\nd\r\n\r\n");
    l.setText("");
    EXPECT_EQ(l.count(), 0);
    EXPECT_EQ(l.text(), "");
}

TEST(StringListTest, CommaTextQuotesAndSplits) {
    TStringList l;
    l.add("plain");
    l.add("with space");
    l.add("say \"hi\"");
    l.add("");
    l.add("a,b");
    EXPECT_EQ(l.commaText(), "plain,\"with space\",\"say \"\"hi\"\"\",,\"a,b\"");
    TStringList back;
    back.setCommaText(l.commaText());
    EXPECT_TRUE(back.equals(l));
    back.setCommaText(" one two,three , ");  // spaces separate too
    EXPECT_EQ(back.text(), "one\r\ntwo\r\nthree\r\n");
    back.setCommaText("a,b,");  // a comma that ends the text adds an empty item
    EXPECT_EQ(back.text(), "a\r\nb\r\n\r\n");
    TStringList single;
    single.add("");
    EXPECT_EQ(single.commaText(), "\"\"");
}

TEST(StringListTest, NamesValuesAndCaseInsensitiveIndexOf) {
    TStringList l;
    l.add("Key=Value");
    l.add("Other=1=2");
    l.add("NoEquals");
    EXPECT_EQ(l.value("KEY"), "Value");
    EXPECT_EQ(l.value("other"), "1=2");
    EXPECT_EQ(l.name(1), "Other");
    EXPECT_EQ(l.value("missing"), "");
    l.setValue("key", "New");
    EXPECT_EQ(l.get(0), "key=New");
    l.setValue("Other", "");
    EXPECT_EQ(l.count(), 2);
    l.setValue("Added", "x");
    EXPECT_EQ(l.get(2), "Added=x");
    EXPECT_EQ(l.indexOf("noequals"), 1);
    EXPECT_EQ(l.indexOf("absent"), -1);
    EXPECT_THROW(l.get(3), EListError);
    try {
        l.remove(-1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
    }
}

TEST(StringListTest, SortedListsAndDuplicates) {
    TStringList l;
    l.setSorted(true);
    l.add("pear");
    l.add("Apple");
    l.add("banana");
    EXPECT_EQ(l.commaText(), "Apple,banana,pear");
    EXPECT_EQ(l.add("APPLE"), 0);  // dupIgnore returns the existing index
    EXPECT_EQ(l.count(), 3);
    l.setDuplicates(TDuplicates::dupError);
    try {
        l.add("pear");
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "String list does not allow duplicates");
    }
    l.setDuplicates(TDuplicates::dupAccept);
    l.add("pear");
    EXPECT_EQ(l.count(), 4);
    EXPECT_THROW(l.insert(0, "x"), EListError);
    EXPECT_EQ(l.indexOf("BANANA"), 1);
}

TEST(StringListTest, OwnedObjectsAndFiles) {
    auto* l = new TStringList;
    l->setOwnsObjects(true);
    l->addObject("a", new TStringList);
    l->putObject(0, new TStringList);  // replacing frees the old object
    delete l;                          // and the list frees the rest (ASan checks both)

    std::string file = (std::filesystem::temp_directory_path() / "classes-strings-test.txt").string();
    TStringList s;
    s.setText("x\r\ny");
    s.saveToFile(file);
    TStringList r;
    r.loadFromFile(file);
    EXPECT_TRUE(r.equals(s));
    std::filesystem::remove(file);
    try {
        r.loadFromFile("/nonexistent/dir/file.txt");
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"/nonexistent/dir/file.txt\". ", 0), 0u);
    }
}

TEST(CollectionTest, ItemsBelongToTheirCollection) {
    TCollection c(TItem::staticClass());
    auto* a = c.add();
    auto* b = c.add();
    EXPECT_EQ(b->index(), 1);
    b->setIndex(0);
    EXPECT_EQ(c.item(0), b);
    delete a;  // removes itself
    EXPECT_EQ(c.count(), 1);
    TCollection copy(TItem::staticClass());
    dynamic_cast<TItem*>(b)->setCaption("x");
    EXPECT_THROW(copy.assign(c), EConvertError);  // items copy through their own assign: TItem has none
    EXPECT_EQ(copy.updateCount(), 0);
    EXPECT_THROW(c.item(3), EListError);
}

TEST(StreamTest, MemoryFileAndResourceStreams) {
    TMemoryStream m;
    m.writeBuffer("hello");
    m.setPosition(1);
    char buf[3];
    m.readBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "ell");
    try {
        m.readBuffer(buf, 3);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    m.setSize(2);
    EXPECT_EQ(m.bytes(), "he");

    std::string file = (std::filesystem::temp_directory_path() / "classes-stream-test.bin").string();
    {
        TFileStream f(file, FileMode::Create);
        f.writeBuffer("0123456789");
        EXPECT_EQ(f.size(), 10);
    }
    TFileStream f(file, FileMode::OpenRead);
    f.seek(-3, SeekOrigin::End);
    EXPECT_EQ(f.readRest(), "789");
    std::filesystem::remove(file);

    static const char kData[] = "TPF0resource";
    TResourceStream::registerResource("TMAINFORM", "RCDATA", std::string_view(kData, 12));
    TResourceStream r("tmainform", "rcdata");
    EXPECT_EQ(r.readRest(), "TPF0resource");
    EXPECT_THROW(r.write("x", 1), EStreamError);
    try {
        TResourceStream missing("NOPE", "RCDATA");
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Resource NOPE not found");
    }
}

TEST(PictureBlobTest, SplitsEachGraphicClassFraming) {
    auto le32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    };
    PictureBlob bmp = splitPictureBlob("\x07TBitmap" + le32(4) + "BM12");
    EXPECT_TRUE(bmp.known);
    EXPECT_EQ(bmp.image, "BM12");
    PictureBlob icon = splitPictureBlob(std::string("\x05TIcon\x00\x00\x01\x00rest", 14));
    EXPECT_EQ(icon.image, std::string("\x00\x00\x01\x00rest", 8));
    EXPECT_EQ(splitPictureBlob("\x09TMetafile" + le32(4)).image, "");
    EXPECT_EQ(splitPictureBlob("\x09TMetafile" + le32(7) + "EMF").image, "EMF");
    EXPECT_EQ(splitPictureBlob("\x0ATJPEGImage" + le32(2) + "\xff\xd8").image, "\xff\xd8");
    PictureBlob tga = splitPictureBlob("\x06TTarga\x03tgaBMxx");
    EXPECT_EQ(tga.subName, "tga");
    EXPECT_EQ(tga.image, "BMxx");
    PictureBlob other = splitPictureBlob("\x0BTWhatever99data");
    EXPECT_FALSE(other.known);
    EXPECT_EQ(other.className, "TWhatever99");
    for (const PictureBlob& p : {bmp, icon, tga})
        EXPECT_EQ(splitPictureBlob(joinPictureBlob(p)).image, p.image);
    EXPECT_THROW(splitPictureBlob("\x07TBitmap" + le32(100) + "BM"), EStreamTruncated);
    EXPECT_THROW(splitPictureBlob("\x09TBit"), EStreamTruncated);
    EXPECT_THROW(splitPictureBlob(std::string(1, '\x40') + std::string(64, 'A')), EStreamTruncated);
}
