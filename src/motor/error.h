#pragma once
#include <string>
#include <utility>
#include <variant>

namespace Livora {

// The engine's one error kind: domain "Livora", code 1 and a Spanish message that reaches
// the user unchanged. Errors of the file system and the PDF libraries keep their own text.
struct Error {
    std::string mensaje;
    std::string dominio = "Livora";
    int codigo = 1;
};

Error error(std::string mensaje);

// A value or the error that prevented it; engine operations never throw across their
// boundary.
template <class T> class Resultado {
public:
    Resultado(T valor) : v_(std::move(valor)) {}
    Resultado(Error e) : v_(std::move(e)) {}

    bool ok() const { return std::holds_alternative<T>(v_); }
    explicit operator bool() const { return ok(); }
    T& operator*() { return std::get<T>(v_); }
    const T& operator*() const { return std::get<T>(v_); }
    T* operator->() { return &std::get<T>(v_); }
    const T* operator->() const { return &std::get<T>(v_); }
    T& valor() { return std::get<T>(v_); }
    const T& valor() const { return std::get<T>(v_); }
    const Error& error() const { return std::get<Error>(v_); }

private:
    std::variant<T, Error> v_;
};

template <> class Resultado<void> {
public:
    Resultado() = default;
    Resultado(Error e) : e_(std::move(e)), fallo_(true) {}
    bool ok() const { return !fallo_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return e_; }

private:
    Error e_;
    bool fallo_ = false;
};

} // namespace Livora
