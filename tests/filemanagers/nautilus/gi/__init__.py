# A stand-in for PyGObject's gi package: enough to load Quendle's Nautilus extension outside Nautilus.
def require_version(namespace, version):
    pass
