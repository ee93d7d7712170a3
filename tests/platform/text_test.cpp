// The folder order that listings are sorted and searched in, against its plain definition
// (upper-case copies compared, ties by the bytes), over random names of letters, digits, signs and
// bytes above ASCII, many of them equal but for letter case.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/text.h"

namespace {

std::string NomeAleatorio(std::mt19937& sorteio) {
    static const std::string letras = "aAbBzZ09_.~ \x7f\xc3\xa7\xc3\x87";
    std::uniform_int_distribution<size_t> tamanho(0, 5), letra(0, letras.size() - 1);
    std::string nome;
    for (size_t n = tamanho(sorteio); n > 0; --n) nome += letras[letra(sorteio)];
    return nome;
}

int Sinal(int v) { return (v > 0) - (v < 0); }

TEST(FolderOrder, AgreesWithUpperCaseCopiesComparedThenTheBytes) {
    std::mt19937 sorteio(20261210);
    for (int i = 0; i < 200000; ++i) {
        const std::string a = NomeAleatorio(sorteio), b = NomeAleatorio(sorteio);
        const std::string ua = platform::upperAscii(a), ub = platform::upperAscii(b);
        ASSERT_EQ(Sinal(platform::compareIgnoringAsciiCase(a, b)), Sinal(ua.compare(ub))) << a << " / " << b;
        ASSERT_EQ(platform::equalsIgnoringAsciiCase(a, b), ua == ub) << a << " / " << b;
        ASSERT_EQ(platform::folderOrder(a, b), ua != ub ? ua < ub : a < b) << a << " / " << b;
    }
}

}  // namespace
