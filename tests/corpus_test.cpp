// SPDX-License-Identifier: MIT
// Real BMP files from a public decoder test suite, where the checkout has
// them beside it ($KORVEL_CORPUS at run time, else the cache path
// KORVEL_CORPUS, by default ../shared/corpus); skipped elsewhere.

#include "messages.hpp"
#include "runkorvel.hpp"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::string corpusdir()
{
    const char *env = std::getenv("KORVEL_CORPUS");
    return std::string(env != nullptr && *env != '\0' ? env : KORVEL_CORPUS_DIR) + "/bmpsuite";
}

struct corpuscase {
    const char *file;
    const char *expected;  // the array it must give, or null
    std::string (*message)(const std::string &);
};

void PrintTo(const corpuscase &c, std::ostream *os)
{
    *os << c.file;
}

class Corpus : public testing::TestWithParam<corpuscase> {};

TEST_P(Corpus, ConvertsOrRefusesAsDocumented)
{
    struct stat info;
    if (stat(corpusdir().c_str(), &info) != 0)
        GTEST_SKIP() << "no corpus at " << corpusdir();
    const corpuscase &c = GetParam();
    std::string path = corpusdir() + "/" + c.file;
    korvelrun run = runkorvel({path});
    if (c.expected != nullptr) {
        std::string expected = readfile(corpusdir() + "/expected/" + c.expected);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.status, 0);
    } else {
        EXPECT_EQ(run.out, c.message(path) + "\n");
        EXPECT_EQ(run.status, 1);
    }
    EXPECT_EQ(run.err, "");
}

std::string width127(const std::string &path)
{
    return badsize(path, -127, 64);
}

INSTANTIATE_TEST_SUITE_P(
    Bmpsuite, Corpus,
    testing::Values(corpuscase{"g/pal1.bmp", "g_pal1.h", nullptr},
                    corpuscase{"g/pal1wb.bmp", "g_pal1wb.h", nullptr},
                    corpuscase{"g/pal1bg.bmp", "g_pal1bg.h", nullptr},
                    corpuscase{"q/pal1p1.bmp", "q_pal1p1.h", nullptr},
                    corpuscase{"b/badbitssize.bmp", "b_badbitssize.h", nullptr},
                    corpuscase{"b/baddens1.bmp", "b_baddens1.h", nullptr},
                    corpuscase{"b/baddens2.bmp", "b_baddens2.h", nullptr},
                    corpuscase{"b/badfilesize.bmp", "b_badfilesize.h", nullptr},
                    corpuscase{"b/badplanes.bmp", "b_badplanes.h", nullptr},
                    corpuscase{"q/pal1huffmsb.bmp", nullptr, notswbmp},
                    corpuscase{"b/badheadersize.bmp", nullptr, notswbmp},
                    corpuscase{"b/badwidth.bmp", nullptr, width127},
                    corpuscase{"b/shortfile.bmp", nullptr, incomplete},
                    corpuscase{"b/badbitcount.bmp", nullptr, notswbmp},
                    corpuscase{"b/reallybig.bmp", nullptr, notswbmp},
                    corpuscase{"g/pal4.bmp", nullptr, notswbmp},
                    corpuscase{"g/pal8.bmp", nullptr, notswbmp},
                    corpuscase{"g/rgb24.bmp", nullptr, notswbmp},
                    corpuscase{"g/pal8os2.bmp", nullptr, notswbmp},
                    corpuscase{"q/pal8os2v2-16.bmp", nullptr, notswbmp},
                    corpuscase{"x/ba-bm.bmp", nullptr, notswbmp}),
    [](const auto &info) {
        std::string name = info.param.file;
        for (char &ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

}  // namespace
