#pragma once

// A process-wide replaceable implementation of an interface (message boxes, file dialogs, the
// shell, the windows the engine talks to): the program installs the real one, tests install
// fakes, and without one the callers fall back to a built-in behaviour.
//
// An interface derives from Seam<Interface>. Its pointer must exist once per process, also when
// a shared library and the program that links it both reach it, so every interface declares
//     extern template class Seam<Interface>;
// after its class and instantiates it once, in its own .cpp:
//     template class Seam<Interface>;
template <class T> class Seam
{
public:
    // Installs an implementation (not owned); null puts the built-in behaviour back.
    static void install(T *seam) { s_installed = seam; }
    static T *installed() { return s_installed; }

    // Installs an implementation for its own lifetime and then puts back the one it replaced;
    // scopes must end in the reverse order of their start.
    class Scope
    {
    public:
        explicit Scope(T *seam) : m_previous(s_installed) { s_installed = seam; }
        ~Scope() { s_installed = m_previous; }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        T *m_previous;
    };

protected:
    Seam() = default;
    ~Seam() = default;

private:
    static T *s_installed;
};

template <class T> T *Seam<T>::s_installed = nullptr;
