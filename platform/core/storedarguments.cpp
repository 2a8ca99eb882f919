#include "platform/core/storedarguments.h"

namespace fw::platform {

void StoredArguments::assign(int argc, char** argv, std::initializer_list<const char*> extra) {
    m_arguments.clear();
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i)
        m_arguments.emplace_back(argv[i]);
    if (m_arguments.empty())
        m_arguments.emplace_back("vimbel");
    m_arguments.insert(m_arguments.begin() + 1, extra.begin(), extra.end());
    m_argv.clear();
    for (auto& argument : m_arguments)
        m_argv.push_back(argument.data());
    m_argv.push_back(nullptr);
    m_argc = static_cast<int>(m_arguments.size());
}

}  // namespace fw::platform
