// What each copy of the run came to, kept once: the report box, the exit status and the run log
// all read this record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace feedback {

struct ResultadoCopia {
    std::string origem;       // the server file
    std::string nome;         // its name as the server's folder spells it
    int64_t tamanho = 0;      // its size in bytes
    std::string erro;         // the error the window showed ("Método 01 (...)"), empty when none
    bool alternativa = false; // the fallback copy was tried
    bool atualizado = false;  // the terminal now holds the server's version
    double segundos = 0;      // the copy's own time: boxes waiting for the user are not in it
    std::string nota;         // what else explains the outcome (an answer the user gave)
    bool recusada = false;    // the user declined it (a folder not created): nothing to pass on
};

class RegistroCopias {
public:
    void Limpa() { copias_.clear(); }
    // A copy begins; name and size are the walk's until the component lists the file.
    void Comeca(const std::string& origem, const std::string& nome, int64_t tamanho);
    void Origem(const std::string& nome, int64_t tamanho);
    void Erro(const std::string& texto);
    void Alternativa(bool copiou);
    void Nota(const std::string& texto);
    // The user declined what the copy needed: it stays old, and no warning names it.
    void Recusada(const std::string& motivo);
    // The component returned: without an error its own result counts, after one the fallback's.
    void Termina(bool copiou, double segundos);
    // The copy's data came, but the file is not the server's version in full (its time,
    // attributes or permissions could not be given): it counts as not updated, for this reason.
    void Inacabada(const std::string& motivo);

    const std::vector<ResultadoCopia>& Copias() const { return copias_; }
    bool AlgumNaoAtualizado() const;

private:
    std::vector<ResultadoCopia> copias_;
};

// The report lines ("  Arquivo: ..." as the updated-files report writes them) of the module
// executables that were updated (atualizados true) or that stayed old (false; a copy the user
// declined is not among them).
std::string LinhasDeModulos(const std::vector<ResultadoCopia>& copias, bool atualizados, const std::string& separator);

// The report box's text: "Arquivos Atualizados :" with the updated modules, then the heading of the
// modules that stayed old with theirs; either part only when it has lines. Empty: no box.
std::string TextoRelatorio(const std::string& atualizados, const std::string& naoAtualizados);

inline constexpr const char* kCabecalhoNaoAtualizados = "Arquivos NÃO Atualizados (avise o suporte) :";

}  // namespace feedback
