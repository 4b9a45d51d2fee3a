#!/usr/bin/env python3
"""Checks that HTML files are well formed: every element that is opened is closed in the reverse
order of opening (void elements excepted), no end tag is stray, character references are known,
text holds no raw control characters, and the style sheet cannot be ended early by its content.
Prints one line per problem and exits 1 when there is any."""
import html
import html.parser
import re
import sys

VOID = {"br", "meta", "link", "img", "hr", "input", "area", "base", "col", "param"}


class Checker(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.stack = []
        self.problems = []
        self.saw_doctype = False

    def problem(self, message):
        self.problems.append("line %d: %s" % (self.getpos()[0], message))

    def handle_decl(self, decl):
        self.saw_doctype = True

    def handle_starttag(self, tag, attrs):
        if tag not in VOID:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        if tag not in VOID:
            self.problem("self-closing <%s/>" % tag)

    def handle_endtag(self, tag):
        if tag in VOID:
            self.problem("end tag of a void element </%s>" % tag)
        elif not self.stack:
            self.problem("stray </%s>" % tag)
        elif self.stack[-1] != tag:
            self.problem("</%s> closes <%s>" % (tag, self.stack[-1]))
            if tag in self.stack:
                while self.stack and self.stack.pop() != tag:
                    pass
        else:
            self.stack.pop()

    def handle_entityref(self, name):
        if name not in html.entities.name2codepoint:
            self.problem("unknown entity &%s;" % name)

    def handle_data(self, data):
        if self.stack and self.stack[-1] == "style" and "<" in data:
            self.problem("markup inside the style sheet")
        if re.search(r"[\x00-\x08\x0b\x0c\x0e-\x1f\x7f]", data):
            self.problem("control character in text")
        if self.stack and self.stack[-1] != "style" and re.search(r"[<>]", data):
            self.problem("unescaped markup character in text")


def check(path):
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        return ["not UTF-8: %s" % e]
    c = Checker()
    c.feed(text)
    c.close()
    if not c.saw_doctype:
        c.problems.append("no document type")
    if c.stack:
        c.problems.append("unclosed at the end: %s" % " ".join(c.stack))
    return c.problems


if __name__ == "__main__":
    bad = 0
    for p in sys.argv[1:]:
        for problem in check(p):
            print("%s: %s" % (p, problem))
            bad = 1
    sys.exit(bad)
