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
                              "RSSMRA84B29A562Y", // 29 February 1984
                              "RSSMRA00B29A562C", // 29 February 2000
                              "BNCLRA70B68H501V", // a woman born on 28 February
                              "07643520567"})     // a company: its VAT number
        EXPECT_TRUE(isValidCodiceFiscale(QString::fromLatin1(valid))) << valid;
    for (const char *invalid : {"RSSMRA85T10A562T", // wrong check letter
                                "RSSMRA85T10A56NS", // variant with the original check letter
                                "RSSMRA85Z10A562S", // no month Z
                                "RSSMRA85T35A562S", // day 35
                                // Right check letters, impossible days of birth.
                                "RSSMRA85B31A562F", // 31 February
                                "RSSMRA85B30A562G", // 30 February
                                "RSSMRA85B29A562Z", // 29 February 1985
                                "RSSMRA85D31A562M", // 31 April
                                "BNCLRA70B71H501D", // a woman born on 31 February
                                "RSSMRA85T10A562", "12345678901", "RSSMRA85T1OA562S", ""})
        EXPECT_FALSE(isValidCodiceFiscale(QString::fromLatin1(invalid))) << invalid;
}
