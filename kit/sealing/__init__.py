"""The seals that the customer machines run in, their recorder, the observer
(observer/) and what a run changed."""
