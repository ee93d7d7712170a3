// The record of what the terminal holds, read from bytes that a crash, a disk or a person may
// have left: reading never fails loudly, whatever it accepts it writes back the same, what it
// writes it reads back whole, and no cut of it is believed.
#include "acervo/arquivo.h"
#include "fuzz_support.h"

namespace {

uint64_t Take(std::string_view& data, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes && !data.empty(); ++i, data.remove_prefix(1))
        value = value << 8 | static_cast<unsigned char>(data.front());
    return value;
}

// Entries drawn from the bytes: names of any bytes but line breaks, any numbers.
acervo::Acervo Drawn(std::string_view data) {
    acervo::Acervo record;
    while (data.size() > 20) {
        acervo::Entrada e;
        e.servidor = {Take(data, 3), static_cast<int64_t>(Take(data, 8))};
        e.local = {Take(data, 3), -static_cast<int64_t>(Take(data, 2))};
        const uint64_t flags = Take(data, 1);
        if (flags & 1) e.conteudo = Take(data, 8);
        e.estado = static_cast<acervo::Estado>(flags % 3);
        e.execucao = Take(data, flags & 2 ? 8 : 1);
        e.anterior = static_cast<acervo::Anterior>(flags / 4 % 3);
        if (e.anterior == acervo::Anterior::Guardada) e.versaoAnterior = {Take(data, 3), static_cast<int64_t>(Take(data, 4))};
        const size_t length = 1 + Take(data, 1) % 24;
        for (size_t i = 0; i < length && !data.empty(); ++i, data.remove_prefix(1))
            if (data.front() != '\n' && data.front() != '\r') e.nome += data.front();
        if (!e.nome.empty()) record.Registra(e);
    }
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string_view input = fuzz::AsText(data, size);

    const acervo::Acervo read = acervo::DoTexto(input);
    if (read.Tamanho() > 0) {
        const std::string again = acervo::Texto(read);
        const acervo::Acervo reread = acervo::DoTexto(again);
        FUZZ_CHECK(reread.Entradas() == read.Entradas() && reread.UltimaExecucao() == read.UltimaExecucao(),
                   fuzz::Visible(input));
    }

    const acervo::Acervo drawn = Drawn(input);
    const std::string text = acervo::Texto(drawn);
    const acervo::Acervo back = acervo::DoTexto(text);
    FUZZ_CHECK(back.Entradas() == drawn.Entradas() && back.UltimaExecucao() == drawn.UltimaExecucao(), fuzz::Visible(text));
    if (drawn.Tamanho() > 0)
        for (size_t cut = 0; cut < text.size(); cut += 1 + cut / 16)
            FUZZ_CHECK(acervo::DoTexto(text.substr(0, cut)).Tamanho() == 0, "cut at " + std::to_string(cut));
    return 0;
}
