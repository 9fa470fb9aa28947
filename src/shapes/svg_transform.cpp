#include "shapes/svg_transform.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

namespace velmora {

namespace {

Affine Step(const std::string& name, const std::vector<double>& args) {
    auto argCount = [&](std::initializer_list<std::size_t> allowed) {
        if (std::find(allowed.begin(), allowed.end(), args.size()) == allowed.end()) {
            throw SvgSyntaxError("в transform у " + name + " неверное число аргументов.");
        }
    };
    const double radians = args.empty() ? 0 : args[0] * std::numbers::pi / 180;
    Affine step;
    if (name == "matrix") {
        argCount({6});
        step = {args[0], args[1], args[2], args[3], args[4], args[5]};
    } else if (name == "translate") {
        argCount({1, 2});
        step.e = args[0];
        step.f = args.size() > 1 ? args[1] : 0;
    } else if (name == "scale") {
        argCount({1, 2});
        step.a = args[0];
        step.d = args.size() > 1 ? args[1] : args[0];
    } else if (name == "rotate") {
        argCount({1, 3});
        const Affine rotation{
            std::cos(radians), std::sin(radians), -std::sin(radians), std::cos(radians), 0, 0};
        if (args.size() == 3) {
            step = Affine{1, 0, 0, 1, args[1], args[2]}.After(rotation).After(
                Affine{1, 0, 0, 1, -args[1], -args[2]});
        } else {
            step = rotation;
        }
    } else if (name == "skewX") {
        argCount({1});
        step.c = std::tan(radians);
    } else if (name == "skewY") {
        argCount({1});
        step.b = std::tan(radians);
    } else {
        throw SvgSyntaxError("неизвестное преобразование \"" + name.substr(0, 20) +
                             "\" в transform.");
    }
    return step;
}

}  // namespace

Affine ReadSvgTransform(const std::string& text) {
    Affine total;
    NumberScanner scanner(text);
    while (!scanner.AtEnd()) {
        std::string name;
        while (std::isalpha(static_cast<unsigned char>(scanner.Peek()))) {
            name += scanner.Peek();
            scanner.Take();
        }
        if (scanner.Peek() != '(') {
            throw SvgSyntaxError("в transform не читается \"" + text.substr(0, 40) + "\".");
        }
        scanner.Take();
        std::vector<double> args;
        while (scanner.Peek() != ')' && !scanner.AtEnd()) {
            args.push_back(NeedSvgNumber(scanner, "transform"));
            scanner.SkipSeparator();
            if (args.size() > 6) {
                break;
            }
        }
        if (scanner.Peek() != ')') {
            throw SvgSyntaxError("в transform не закрыта скобка у " + name + ".");
        }
        scanner.Take();
        scanner.SkipSeparator();
        total = total.After(Step(name, args));
    }
    return total;
}

}  // namespace velmora
