"""Random, well-typed small Cg fragment programs for cg_differ.py's fuzz mode.

Values stay comparable between two compilers: inputs and constants are small multiples of 1/8,
so sums, differences and products of them are exact, and every function whose result jumps
(floor, frac, step, comparisons, int conversions, conditions of if and loops) only takes such
exact values. Inexact functions (sin, sqrt, division, lerp, ...) feed smooth operations alone,
so two right compilers differ there by rounding, which TOLERANCE covers. Nothing is NaN,
infinite or undefined by construction: square roots, logarithms and divisions take positive
arguments, and every value written is kept within LIMIT, so that no expression overflows.
"""

TOLERANCE = 'ulp 64 near 1e-4'
# `int *= float` computes in float and truncates, as Cg does (cases/int-times-float.cg).
INT_TIMES_FLOAT = True
# all() and any() of constant vectors and comparisons of constant vectors, which glslang folded
# wrongly (cases/all-any-of-constants.cg, cases/vector-compare-of-constants.cg), take constant
# operands too since their fix.
CONSTANT_VECTORS_FOLD = True

VECTORS = ['float', 'float2', 'float3', 'float4']
INTS = ['int', 'int2', 'int3', 'int4']
SWIZZLE = 'xyzw'
ARRAY = 'arr'
LIMIT = '1e4'
INT_LIMIT = '1000.0'
MAX_DEPTH = 3


def size(type_name):
    return int(type_name[-1]) if type_name[-1].isdigit() else 1


def with_size(base, n):
    return base if n == 1 else '%s%d' % (base, n)


def constant(rng, low=-32, high=32):
    """A float literal (never an int one, which Cg's overloads would take apart)."""
    return repr(rng.randint(low, high) / 8.0)


def negate(expression):
    """-e, but e itself for -(-e): cgc writes a double negation into GLSL as a decrement
    (cases/double-negation.cg), a fault of its own that would hide ours."""
    if expression.startswith('(- '):
        return expression[3:-1]
    return '(- %s)' % expression


class Scope:
    """The variables a statement can read, by type: exact ones, which statements also write, and
    smooth ones, which only smooth expressions read."""

    def __init__(self):
        self.names = {}
        self.smooth = {}

    def add(self, type_name, name, exact=True):
        (self.names if exact else self.smooth).setdefault(type_name, []).append(name)

    def of(self, type_name, exact=True):
        return self.names.get(type_name, []) + ([] if exact else self.smooth.get(type_name, []))


class Generator:
    def __init__(self, rng, anchor):
        self.rng = rng
        self.scope = Scope()
        self.count = 0
        # A float4 whose value the compilers cannot know.
        self.anchor = anchor
        # Counters of the loops around the statement that run 0 to 2, which index ARRAY.
        self.counters = []
        self.has_array = False
        self.has_image = False

    def fresh(self):
        self.count += 1
        return 'v%d' % self.count

    # -- expressions; exact=True asks for a value every compiler gets bit for bit --

    def leaf(self, type_name, exact=True):
        rng = self.rng
        n = size(type_name)
        base = 'int' if type_name.startswith('int') else 'float'
        names = self.scope.of(type_name, exact)
        if names and rng.random() < 0.6:
            return rng.choice(names)
        wide = self.scope.of(with_size(base, 4))
        if wide and rng.random() < 0.5:
            return '%s.%s' % (rng.choice(wide), ''.join(rng.choice(SWIZZLE) for _ in range(n)))
        if base == 'int':
            values = [str(rng.randint(-6, 6)) for _ in range(n)]
        else:
            values = [constant(rng) for _ in range(n)]
        return values[0] if n == 1 else '%s(%s)' % (type_name, ', '.join(values))

    def float_expr(self, type_name, depth, exact):
        rng = self.rng
        if depth >= MAX_DEPTH or rng.random() < 0.25:
            return self.leaf(type_name, exact)
        n = size(type_name)
        sub = lambda t=type_name, e=exact: self.float_expr(t, depth + 1, e)  # noqa: E731
        choices = [
            lambda: '(%s %s %s)' % (sub(), rng.choice('+-*'), sub()),
            lambda: negate(sub()),
            lambda: '%s(%s)' % (rng.choice(['abs', 'floor', 'ceil', 'frac', 'saturate']), sub()),
            lambda: '%s(%s, %s)' % (rng.choice(['min', 'max', 'step']), sub(), sub()),
            lambda: '(%s ? %s : %s)' % (self.bool_expr(depth + 1), sub(), sub()),
            lambda: '%s(%s)' % (type_name, self.int_expr(with_size('int', n), depth + 1)),
            lambda: '(%s).%s' % (self.float_expr('float4', depth + 1, exact),
                                 ''.join(rng.choice(SWIZZLE) for _ in range(n))),
            lambda: 'clamp(%s, %s, 2.5)' % (sub(), constant(rng, high=20)),
        ]
        if n == 1:
            vector = rng.choice(VECTORS[1:])
            choices.append(lambda: 'dot(%s, %s)' % (self.float_expr(vector, depth + 1, exact),
                                                     self.float_expr(vector, depth + 1, exact)))
        if n > 1:
            scalar = lambda: self.float_expr('float', depth + 1, exact)  # noqa: E731
            choices += [
                # A vector condition selects component by component.
                lambda: '((%s %s %s) ? %s : %s)' % (self.unfolded(type_name, depth),
                                                    rng.choice(['<', '>=', '!=']), sub(), sub(),
                                                    sub()),
                lambda: '(%s * %s)' % (scalar(), sub()),
                lambda: '%s(%s, %s)' % (type_name, scalar(),
                                        self.float_expr(with_size('float', n - 1), depth + 1,
                                                        exact)),
            ]
            for b in self.scope.of(with_size('bool', n)):
                choices.append(lambda b=b: '(%s ? %s : %s)' % (b, sub(), sub()))
            matrix = 'float%dx%d' % (n, n)
            choices.append(lambda: 'mul(%s(%s), %s)' % (
                matrix, ', '.join(constant(rng) for _ in range(n * n)), sub()))
            for m in self.scope.of(matrix):
                choices += [
                    lambda m=m: 'mul(%s, %s)' % (m, sub()),
                    lambda m=m: 'mul(%s, %s)' % (sub(), m),
                    lambda m=m: '%s[%d]' % (m, rng.randrange(n)),
                    lambda m=m: 'transpose(%s)[%d]' % (m, rng.randrange(n)),
                ]
        if n == 4 and self.has_array and self.counters:
            choices.append(lambda: '%s[%s]' % (ARRAY, rng.choice(self.counters)))
        if n == 4 and self.has_image:
            # Texels are multiples of 1/128: a lookup is exact.
            choices.append(lambda: 'tex2D(image, %s)' % self.float_expr('float2', depth + 1, True))
        if not exact:
            smooth = lambda: self.float_expr(type_name, depth + 1, False)  # noqa: E731
            choices += [
                lambda: '%s(%s)' % (rng.choice(['sin', 'cos', 'atan']), smooth()),
                lambda: 'sqrt(abs(%s) + 0.25)' % smooth(),
                lambda: 'log2(abs(%s) + 1)' % smooth(),
                lambda: 'exp(sin(%s))' % smooth(),
                lambda: '(%s / (abs(%s) + 0.5))' % (smooth(), smooth()),
                lambda: 'lerp(%s, %s, %s)' % (smooth(), smooth(), constant(rng)),
                lambda: 'smoothstep(-2.0, 2.0, %s)' % smooth(),
                lambda: 'pow(min(abs(%s), 64.0) + 0.5, %s)' % (smooth(),
                                                               rng.choice(['2.0', '0.5', '1.5'])),
            ]
        return rng.choice(choices)()

    def int_expr(self, type_name, depth):
        rng = self.rng
        if depth >= MAX_DEPTH or rng.random() < 0.3:
            return self.leaf(type_name)
        n = size(type_name)
        sub = lambda: self.int_expr(type_name, depth + 1)  # noqa: E731
        return rng.choice([
            lambda: '(%s %s %s)' % (sub(), rng.choice('+-'), sub()),
            lambda: '(%s * %d)' % (sub(), rng.randint(-3, 3)),
            lambda: '(%s / %d)' % (sub(), rng.choice([2, 3, 4])),
            # % of a positive left operand: GLSL leaves a negative one undefined.
            lambda: (lambda e: '((%s * %s + 1) %% %d)' % (e, e, rng.choice([2, 3, 5])))(sub()),
            lambda: '%s(clamp(%s, -%s, %s))' % (
                type_name, self.float_expr(with_size('float', n), depth + 1, True), INT_LIMIT,
                INT_LIMIT),
            lambda: '(%s ? %s : %s)' % (self.bool_expr(depth + 1), sub(), sub()),
        ])()

    def bool_expr(self, depth):
        rng = self.rng
        if depth >= MAX_DEPTH or rng.random() < 0.6:
            if rng.random() < 0.7:
                return '(%s %s %s)' % (self.float_expr('float', depth + 1, True),
                                       rng.choice(['<', '<=', '>', '>=', '==', '!=']),
                                       self.float_expr('float', depth + 1, True))
            return '(%s < %s)' % (self.int_expr('int', depth + 1), self.int_expr('int', depth + 1))
        return rng.choice([
            lambda: '(%s %s %s)' % (self.bool_expr(depth + 1), rng.choice(['&&', '||']),
                                    self.bool_expr(depth + 1)),
            lambda: '(!%s)' % self.bool_expr(depth + 1),
        ] + [
            lambda b=b: '%s(%s)' % (rng.choice(['any', 'all']), b)
            for n in (2, 3, 4) for b in self.scope.of(with_size('bool', n))
        ] + [
            lambda: '%s(%s)' % (rng.choice(['any', 'all']),
                                self.unfolded(rng.choice(VECTORS[1:]), depth)),
        ])()

    def unfolded(self, type_name, depth):
        """An exact vector that, while constant vectors fold wrongly, cannot be constant."""
        vector = self.float_expr(type_name, depth + 1, True)
        if CONSTANT_VECTORS_FOLD:
            return vector
        return '(%s * %s.%s)' % (vector, self.anchor, SWIZZLE[:size(type_name)])

    def any_expr(self, type_name, exact=False):
        if type_name.startswith('int'):
            return self.int_expr(type_name, 1)
        return self.float_expr(type_name, 1, exact)

    # -- statements --

    def bound(self, indent, target, type_name):
        """The statement that keeps a written value within LIMIT (ints within INT_LIMIT), so that
        no expression of the program overflows: an infinity would become NaN, and the functions
        the two compilers write differently (atan, clamp, ...) take NaN differently."""
        if type_name.startswith('int'):
            floats = with_size('float', size(type_name))
            return '%s%s = %s(clamp(%s(%s), -%s, %s));\n' % (
                indent, target, type_name, floats, target, INT_LIMIT, INT_LIMIT)
        return '%s%s = clamp(%s, -%s, %s);\n' % (indent, target, target, LIMIT, LIMIT)

    def declaration(self, indent):
        type_name = self.rng.choice(VECTORS + VECTORS[3:] + INTS[:2])
        exact = type_name.startswith('int') or self.rng.random() < 0.5
        name = self.fresh()
        line = '%s%s %s = %s;\n' % (indent, type_name, name, self.any_expr(type_name, exact))
        self.scope.add(type_name, name, exact)
        return line + self.bound(indent, name, type_name)

    def bool_declaration(self, indent):
        n = self.rng.choice([2, 3, 4])
        vector, name = with_size('float', n), self.fresh()
        line = '%s%s %s = (%s %s %s);\n' % (
            indent, with_size('bool', n), name, self.unfolded(vector, 1),
            self.rng.choice(['<', '>=', '==']), self.float_expr(vector, 1, True))
        self.scope.add(with_size('bool', n), name)
        return line

    def matrix_declaration(self, indent):
        n = self.rng.choice([2, 3])
        matrix, name = 'float%dx%d' % (n, n), self.fresh()
        rows = ', '.join(self.any_expr(with_size('float', n), exact=True) for _ in range(n))
        self.scope.add(matrix, name)
        return '%s%s %s = %s(%s);\n' % (indent, matrix, name, matrix, rows) + ''.join(
            self.bound(indent, '%s[%d]' % (name, row), 'float') for row in range(n))

    def special(self, indent):
        """A row of a matrix written, an int stepped, or the helper called."""
        rng = self.rng
        matrices = [(m, n) for n in (2, 3) for m in self.scope.of('float%dx%d' % (n, n))]
        ints = self.scope.of('int')
        choice = rng.random()
        if matrices and choice < 0.4:
            m, n = rng.choice(matrices)
            row = '%s[%d]' % (m, rng.randrange(n))
            return '%s%s %s %s;\n' % (indent, row, rng.choice(['=', '+=']),
                                      self.any_expr(with_size('float', n), exact=True)) + \
                self.bound(indent, row, 'float')
        if self.has_array and self.counters and choice < 0.55:
            element = '%s[%s]' % (ARRAY, rng.choice(self.counters))
            return '%s%s %s %s;\n' % (indent, element, rng.choice(['=', '+=', '*=']),
                                      self.any_expr('float4', exact=True)) + \
                self.bound(indent, element, 'float4')
        if ints and choice < 0.7:
            return '%s%s%s;\n' % (indent, rng.choice(ints), rng.choice(['++', '--']))
        # The target is not the inout argument: which of the two writes came first would be
        # the compiler's choice.
        target, a = rng.sample(self.scope.of('float4'), 2)
        return '%s%s.zw += helper(%s, %s, %s).xy;\n' % (
            indent, target, a, self.any_expr('float4', exact=True),
            rng.choice(self.scope.of('float'))) + self.bound(indent, target, 'float4')

    def assignment(self, indent):
        rng = self.rng
        type_name = rng.choice(sorted(t for t in self.scope.names
                                     if t in VECTORS + INTS and self.scope.of(t)))
        name = rng.choice(self.scope.of(type_name))
        n = size(type_name)
        if n > 1 and rng.random() < 0.5:
            mask = ''.join(sorted(rng.sample(SWIZZLE[:n], rng.randint(1, n)),
                                  key=SWIZZLE.index))
            target, value_type = '%s.%s' % (name, mask), with_size(type_name[:-1], len(mask))
        else:
            target, value_type = name, type_name
        operator = rng.choice(['=', '=', '+=', '-=', '*='])
        if INT_TIMES_FLOAT and value_type.startswith('int') and operator == '*=' and \
                rng.random() < 0.5:
            # Cg computes int *= float in float and converts back.
            return '%s%s *= %s;\n' % (indent, target, rng.choice(['0.5', '1.5', '2.0']))
        return '%s%s %s %s;\n' % (indent, target, operator, self.any_expr(
            value_type, exact=True)) + self.bound(indent, name, type_name)

    def block(self, indent, depth):
        rng = self.rng
        out = ''
        for _ in range(rng.randint(1, 4)):
            kind = rng.random()
            if depth < 2 and kind < 0.15:
                out += '%sif (%s) {\n%s%s} else {\n%s%s}\n' % (
                    indent, self.bool_expr(1), self.block(indent + '    ', depth + 1), indent,
                    self.block(indent + '    ', depth + 1), indent)
            elif depth < 2 and kind < 0.25:
                counter, bound = self.fresh(), rng.randint(1, 4)
                self.counters += [counter] if bound <= 3 else []
                body = self.block(indent + '    ', depth + 1)
                self.counters = [c for c in self.counters if c != counter]
                out += '%sfor (int %s = 0; %s < %d; %s++) {\n%s%s}\n' % (
                    indent, counter, counter, bound, counter, body, indent)
            elif depth < 2 and kind < 0.3:
                counter = self.fresh()
                out += '%sfor (int %s = 0; %s < 4; %s++) {\n%s    if (%s) break;\n%s%s}\n' % (
                    indent, counter, counter, counter, indent, self.bool_expr(1),
                    self.block(indent + '    ', depth + 1), indent)
            elif kind < 0.45:
                out += self.special(indent)
            elif depth < 2 and kind < 0.47:
                counter = self.fresh()
                out += '%sint %s = %d;\n%sdo {\n%s%s    %s--;\n%s} while (%s > 0);\n' % (
                    indent, counter, rng.randint(1, 3), indent,
                    self.block(indent + '    ', depth + 1), indent, counter, indent, counter)
            elif depth < 2 and kind < 0.5:
                counter = self.fresh()
                out += '%sint %s = %d;\n%swhile (%s > 0) {\n%s%s    %s--;\n%s}\n' % (
                    indent, counter, rng.randint(1, 3), indent, counter,
                    self.block(indent + '    ', depth + 1), indent, counter, indent)
            else:
                out += self.assignment(indent)
        return out


def helper(rng):
    """A function with an inout and an out parameter, which statements call."""
    generator = Generator(rng, 'b')
    generator.scope.add('float4', 'a')
    generator.scope.add('float4', 'b')
    return ('float4 helper(inout float4 a, float4 b, out float r)\n{\n'
            '    r = clamp(%s, -%s, %s);\n    a = clamp(%s, -%s, %s);\n'
            '    return %s;\n}\n' % (
                generator.any_expr('float', exact=True), LIMIT, LIMIT,
                generator.any_expr('float4', exact=True), LIMIT, LIMIT,
                generator.any_expr('float4', exact=True)))


def program(rng):
    """The text of one program, its uniforms' values in cg-probe's //@ lines."""
    generator = Generator(rng, 'u0')
    header, parameters = '', ''
    for k in range(3):
        name = 'u%d' % k
        header += '//@ %s %s\n' % (name, ' '.join(constant(rng) for _ in range(4)))
        parameters += ', uniform float4 %s' % name
        generator.scope.add('float4', name)
    header += helper(rng)
    parameters += ', uniform sampler2D image'
    generator.has_image = generator.has_array = True
    body = '    float f0 = u2.w;\n    float4 %s[3] = {u1, u0, u2.wzyx};\n' % ARRAY
    generator.scope.add('float', 'f0')
    body += ''.join(generator.declaration('    ') for _ in range(rng.randint(2, 4)))
    body += generator.matrix_declaration('    ') if rng.random() < 0.5 else ''
    body += generator.bool_declaration('    ') if rng.random() < 0.5 else ''

    body += generator.block('    ', 0)
    result = generator.any_expr('float4')
    return '%sfloat4 main(float4 t : TEXCOORD0%s) : COLOR\n{\n%s    return %s;\n}\n' % (
        header, parameters, body, result)
