"""The errors smutil raises: one base class, carrying the message and, where
there is one, the position (source file, line, column)."""

from typing import Optional


class Error(Exception):
    """Base of every error of the module."""

    def __init__(self, message: str, source: Optional[str] = None,
                 line: Optional[int] = None, column: Optional[int] = None) -> None:
        """The message, and where the fault is when that is known."""
        super().__init__(message)
        self.message = message
        self.source = source
        self.line = line
        self.column = column

    def __str__(self) -> str:
        """ "source:line:column: message", with what is known of the position."""
        where = self.source or ""
        if self.line:
            where += f":{self.line}"
            if self.column:
                where += f":{self.column}"
        return f"{where}: {self.message}" if where else self.message


class LoadError(Error):
    """A repository file (or an earlier one to compare with) could not be read."""


class WriteError(Error):
    """An output (a saved repository, a site) could not be written; an existing file is left whole."""


class NotFoundError(Error, LookupError):
    """No object, user or type bears the name given."""


class AmbiguousError(Error, LookupError):
    """Several objects bear the name where one was wanted; give a type or an id."""


class UsageError(Error, ValueError):
    """An argument that the call does not take (an unknown type, modes that exclude each other)."""


class MoveError(Error):
    """The object cannot be moved under that parent; nothing changed."""


class TranslationError(Error):
    """An XLIFF document or the bundle store could not be read or written."""


class ClosedError(Error):
    """The repository was closed."""


class InvariantError(Error):
    """A broken invariant of the library: source is the library's source file, line its line."""
