#include "core/taxcodes.h"

#include <gtest/gtest.h>

using namespace rotalina::core;

TEST(TaxCodes, VatNumbers)
{
    for (const char *valid : {"00000000000", "12345678903", "01234567897", "07643520567"})
        EXPECT_TRUE(isValidPartitaIva(QString::fromLatin1(valid))) << valid;
    for (const char *invalid :
         {"12345678901", "0764352056", "076435205670", "0764352056A", "", "1234567890 "})
        EXPECT_FALSE(isValidPartitaIva(QString::fromLatin1(invalid))) << invalid;
}

TEST(TaxCodes, FiscalCodesOfPeopleAndCompanies)
{
    for (const char *valid : {"RSSMRA85T10A562S", "rssmra85t10a562s", "BNCLRA70A41H501B", "VRDGPP80E15F205T",
                              "RSSMRA85T10A56NH", // omocodia: the last digit written as a letter
                              "07643520567"})     // a company: its VAT number
        EXPECT_TRUE(isValidCodiceFiscale(QString::fromLatin1(valid))) << valid;
    for (const char *invalid : {"RSSMRA85T10A562T", // wrong check letter
                                "RSSMRA85T10A56NS", // variant with the original check letter
                                "RSSMRA85Z10A562S", // no month Z
                                "RSSMRA85T35A562S", // day 35
                                "RSSMRA85T10A562", "12345678901", "RSSMRA85T1OA562S", ""})
        EXPECT_FALSE(isValidCodiceFiscale(QString::fromLatin1(invalid))) << invalid;
}
