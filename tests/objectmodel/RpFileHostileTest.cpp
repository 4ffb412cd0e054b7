// Repository files that name a local file or a FIFO through an entity, and
// start tags with a great many attributes: the entity is refused at its
// place without the file being opened, and a long attribute list is read
// (or its repeated attribute refused) like a short one.
#include <gtest/gtest.h>

#include "common/FifoTrap.h"
#include "common/ScratchDir.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"

namespace {

std::string Refusal(const std::string& doc) {
  try {
    RpFile::LoadFromMemory(doc.data(), doc.size(), "hostile.xml");
    return "";
  } catch (const RpFileError& e) {
    return e.what();
  }
}

TEST(RpFileHostile, EntitiesNamingFilesAreRefusedWhereTheyStand) {
  const testutil::ScratchDir dir;
  const std::string secret = dir.Write("secret.txt", "PLANTED-SECRET");
  testutil::FifoTrap fifo(dir.Dir() / "fifo");
  for (const std::string& url : {"file://" + secret, fifo.Url()}) {
    SCOPED_TRACE(url);
    const std::string why = Refusal("<!DOCTYPE repository [<!ENTITY x SYSTEM \"" + url +
                                    "\">]>\n<repository format=\"1\" name=\"r\">\n"
                                    "<object id=\"3023:1\" name=\"db\">\n"
                                    "<prop key=\"Description\">a&x;b</prop>\n</object>\n</repository>\n");
    EXPECT_NE(why.find("hostile.xml:4:"), std::string::npos) << why;
    EXPECT_NE(why.find("'" + url + "', which the document names, is not read"), std::string::npos) << why;
    EXPECT_EQ(why.find("malformed"), std::string::npos) << why;
  }
  EXPECT_FALSE(fifo.Opened());
}

TEST(RpFileHostile, ALongAttributeListIsReadWhole) {
  // Unknown attributes are passed over; the object's own are found among
  // thousands, wherever they stand.
  constexpr int kAttributes = 20000;
  std::string many;
  for (int i = 0; i < kAttributes; ++i) many += " x" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  const std::string head = "<repository format=\"1\" name=\"r\">\n<object";
  const std::string doc = head + many + " id=\"3023:7\" name=\"Long\"/>\n</repository>\n";
  std::unique_ptr<ARpGateway> rp = RpFile::LoadFromMemory(doc.data(), doc.size(), "many.xml");
  const Ref<ARpObject> obj = rp->GetObject(VoidID(3023, 7));
  ASSERT_FALSE(obj.IsNull());
  EXPECT_EQ(obj->GetName(), U"Long");

  // The same name twice, far apart, is found.
  const std::string twice = head + " x0=\"a\"" + many + " id=\"3023:7\" name=\"Long\"/>\n</repository>\n";
  const std::string why = Refusal(twice);
  EXPECT_NE(why.find("hostile.xml:2:"), std::string::npos) << why;
  EXPECT_NE(why.find("x0"), std::string::npos) << why;
}

}  // namespace
