// The plain and bold fonts are drawn in a face with Helvetica's widths when
// one is installed, so that texts laid out for the platform fit their
// frames.
#include "FontEngine.h"

#include <Font.h>

#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(SansFamilyTest, TheFirstInstalledNarrowFaceDrawsThePlainAndBoldFonts)
{
    const std::string chosen = FontEngine::SansFamily();
    ASSERT_FALSE(chosen.empty());
    const char* preferred[] = {"Liberation Sans", "Nimbus Sans", "Nimbus Sans L", "Arimo"};
    std::string expected;
    for (const char* family : preferred) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) {
            expected = family;
            break;
        }
    }
    if (expected.empty())
        expected = FontEngine::DefaultFamily(false);
    EXPECT_EQ(chosen, expected);

    // The face Qt really draws with is the chosen one, for both fonts.
    for (const BFont* font : {be_plain_font, be_bold_font}) {
        const QFontInfo drawn(FontEngine::QtFontOf(*font));
        EXPECT_EQ(drawn.family().toStdString(), chosen);
    }
    // The fixed font is not taken over.
    font_family fixed;
    be_fixed_font->GetFamilyAndStyle(&fixed, nullptr);
    EXPECT_NE(QFontInfo(FontEngine::QtFontOf(*be_fixed_font)).family().toStdString(), chosen);
}

TEST(SansFamilyTest, ANarrowFaceKeepsHelveticasWidthAtTheAlertsLabelSize)
{
    if (FontEngine::SansFamily() != "Liberation Sans" && FontEngine::SansFamily() != "Nimbus Sans")
        GTEST_SKIP() << "no face with Helvetica's widths is installed (scripts/setup-deps.sh installs one)";
    BFont label(be_plain_font);
    label.SetSize(10);
    // Helvetica's "Modified :" at 10 pixels is 44 to 45 pixels wide; a wider
    // face does not fit the replace alert's label column.
    const float width = label.StringWidth("Modified :");
    EXPECT_LE(std::ceil(width), 45.0f) << width;
    EXPECT_GE(width, 40.0f) << width;
}
