"""tarvel as a networkx backend: networkx (3.4 or later) finds it through the
entry points networkx.backends (tarvel_networkx.backend) and
networkx.backend_info (tarvel_networkx.info:get_info), both named "tarvel".
Importing this package imports neither tarvel nor networkx."""
