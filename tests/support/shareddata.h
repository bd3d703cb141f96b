#pragma once

#include <QString>

namespace rotalina::test {

// The public reference material kept beside the checkout (schemas, code lists); empty when it
// is not there, and tests that need it skip.
QString sharedFolder();

} // namespace rotalina::test

// Skips the current test with a clear message when the reference material is missing.
#define ROTALINA_REQUIRE_SHARED(path)                                                                        \
    do {                                                                                                     \
        if (rotalina::test::sharedFolder().isEmpty() ||                                                      \
            !QFileInfo::exists(rotalina::test::sharedFolder() + QStringLiteral(path)))                       \
            GTEST_SKIP() << "reference material " << path << " not found beside the checkout (../shared)";   \
    } while (false)
