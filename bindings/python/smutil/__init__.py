"""smutil: the metadata utilities of the query server's repository.

    >>> import smutil
    >>> with smutil.Repository.load("samples/sample.rpd.xml") as repo:
    ...     print(repo.resolve("Sales.Orders"))
"""

from ._errors import (AmbiguousError, ClosedError, Error, InvariantError, LoadError, MoveError,
                      NotFoundError, TranslationError, UsageError, WriteError)
from ._smutil import (CoverageReport, DictEntry, ImportResult, Dependent, Finding, Layer, NamePair, Object, ObjectType, Outcome,
                      Repository, Resolution, Severity, SiteReport, Sql, SqlDiagnostic, SqlOutcome, SqlSeverity,
                      Translations, __version__, parse, quote, segments, split)

__all__ = [
    "AmbiguousError", "ClosedError", "CoverageReport", "ImportResult", "Dependent", "DictEntry", "Error", "Finding", "InvariantError",
    "Layer", "LoadError", "MoveError", "NamePair", "NotFoundError", "Object", "ObjectType", "Outcome",
    "Repository", "Resolution", "Severity", "SiteReport", "Sql", "SqlDiagnostic", "SqlOutcome", "SqlSeverity",
    "TranslationError", "Translations",
    "UsageError", "WriteError", "__version__", "parse", "quote", "segments", "split",
]
