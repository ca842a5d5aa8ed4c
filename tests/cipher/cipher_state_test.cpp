#include "cipher/cipher_state.h"

#include <gtest/gtest.h>

TEST(CipherState, Placeholder) { SUCCEED(); }
