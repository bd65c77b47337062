#include "cli/option_reader.h"

#include "files/printable.h"

namespace kanimo {

std::string readOption(const std::vector<std::string_view>& args, std::size_t& i,
                       const std::function<std::optional<bool>(std::string_view)>& takesValue,
                       OptionArgument& out) {
    const std::string_view arg = args[i++];
    if (arg.substr(0, 2) != "--")
        return "unexpected argument '" + printable(arg) + "' (see --help)";
    const std::size_t equals = arg.find('=');
    out.name = arg.substr(0, equals);
    out.value = {};
    const std::optional<bool> valued = takesValue(out.name);
    if (!valued) return "unknown option '" + printable(out.name) + "' (see --help)";
    if (!*valued) {
        if (equals != std::string_view::npos) return printable(out.name) + " takes no value";
        return {};
    }
    if (equals != std::string_view::npos) {
        out.value = arg.substr(equals + 1);
    } else if (i < args.size() && args[i].substr(0, 2) != "--") {
        out.value = args[i++];
    } else {
        return printable(out.name) + " needs a value";
    }
    return {};
}

} // namespace kanimo
